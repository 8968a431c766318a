// The About window.
#include "ui/about.h"
#include "app/lang.h"
#include "app/logdir.h"
#include "shell/shell.h"
#include "ui/controls.h"
#include "ui/ids.h"
#include "ui/skin.h"
#include "ui/window.h"

#include "zerrow_ids.h"

#include <shellapi.h>

namespace zrw {

namespace {

constexpr wchar_t kAboutClass[] = L"ZerrowSettings";
constexpr DWORD kAboutStyle = WS_CAPTION | WS_SYSMENU;

HWND g_about = nullptr;

struct AboutControl {
    int id;
    bool button;
    RECT place;  // left, top, width, height
};

const AboutControl kAboutControls[] = {
    {kIdAboutTitle, false, {18, 20, 584, 26}},   {kIdAboutNote, false, {18, 48, 584, 42}},
    {kIdAboutVersion, false, {18, 96, 584, 22}}, {kIdOpenLogs, true, {18, 130, 200, 34}},
    {kIdUninstall, true, {18, 172, 264, 34}},    {kIdAboutStatus, false, {18, 308, 584, 30}},
    {kIdAboutClose, true, {506, 342, 96, 30}},
};

// Centred over the main window, 64 pixels below its top.
RECT AboutWindowRect(const RECT& mainWindow) {
    RECT outer{0, 0, 620, 384};
    AdjustWindowRect(&outer, kAboutStyle, FALSE);
    int width = outer.right - outer.left;
    int height = outer.bottom - outer.top;
    int left = mainWindow.left + (mainWindow.right - mainWindow.left - width) / 2;
    return RECT{left, mainWindow.top + 64, left + width, mainWindow.top + 64 + height};
}

void CreateAboutControls(HWND about) {
    for (const AboutControl& c : kAboutControls) {
        DWORD style = c.button ? BS_OWNERDRAW | WS_TABSTOP : 0;
        HWND control = CreateControl(about, c.button ? L"BUTTON" : L"STATIC", L"", style, c.id);
        MoveWindow(control, c.place.left, c.place.top, c.place.right, c.place.bottom, FALSE);
        if (c.button) InstallHoverTracking(control);
    }
}

void SetText(HWND about, int id, const std::wstring& text) {
    SetDlgItemTextW(about, id, text.c_str());
}

void SetAboutTexts(HWND about) {
    std::wstring title = Tr(L"关于");
    SetWindowTextW(about, title.c_str());
    SetText(about, kIdAboutTitle, title);
    SetText(about, kIdAboutNote, Tr(L"日志目录里存着每次复制的原始日志。"));
    SetText(about, kIdAboutVersion, g_productName + L"  ·  v" + ZERROW_VERSION_TEXT);
    SetText(about, kIdOpenLogs, Tr(L"打开日志目录"));
    SetText(about, kIdUninstall, Tr(L"卸载（清右键菜单、快捷方式、程序）"));
    SetText(about, kIdAboutClose, Tr(L"关闭"));
}

void OnAboutCommand(HWND about, int id) {
    switch (id) {
    case kIdOpenLogs: OpenLogFolder(about); break;
    case kIdUninstall: Uninstall(false); break;
    case kIdAboutClose:
    case IDCANCEL: DestroyWindow(about); break;
    default: break;
    }
}

LRESULT CALLBACK AboutProc(HWND about, UINT message, WPARAM wp, LPARAM lp) {
    switch (message) {
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(about, &client);
        FillRect(reinterpret_cast<HDC>(wp), &client, brushFor(skin::background()));
        return 1;
    }
    case WM_CTLCOLORSTATIC: {
        auto dc = reinterpret_cast<HDC>(wp);
        SetTextColor(dc, skin::text());
        SetBkColor(dc, skin::background());
        return reinterpret_cast<LRESULT>(brushFor(skin::background()));
    }
    case WM_DRAWITEM: DrawOwnerButton(*reinterpret_cast<DRAWITEMSTRUCT*>(lp)); return TRUE;
    case WM_COMMAND: OnAboutCommand(about, LOWORD(wp)); return 0;
    case WM_DESTROY: g_about = nullptr; return 0;
    default: break;
    }
    return DefWindowProcW(about, message, wp, lp);
}

}  // namespace

void openAboutWindow(HWND mainWindow) {
    if (g_about) {
        SetAboutTexts(g_about);
        SetForegroundWindow(g_about);
        return;
    }
    if (!RegisterProgramClass(kAboutClass, AboutProc)) return;
    RECT owner{};
    if (!mainWindow || !GetWindowRect(mainWindow, &owner))
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &owner, 0);
    RECT r = AboutWindowRect(owner);
    g_about =
        CreateWindowExW(0, kAboutClass, L"", kAboutStyle, r.left, r.top, r.right - r.left,
                        r.bottom - r.top, mainWindow, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!g_about) return;
    CreateAboutControls(g_about);
    SetAboutTexts(g_about);
    ShowWindow(g_about, SW_SHOW);
    SetForegroundWindow(g_about);
    SetFocus(GetDlgItem(g_about, kIdOpenLogs));
}

HWND AboutWindow() { return g_about; }

bool AboutDialogMessage(MSG& msg) { return g_about && IsDialogMessageW(g_about, &msg); }

void OpenLogFolder(HWND owner) {
    EnsureLogFolder();
    ShellExecuteW(owner, L"open", LogFolder().c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace zrw
