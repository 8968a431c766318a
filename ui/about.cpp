// The About window.
#include "ui/about.h"
#include "app/lang.h"
#include "app/logdir.h"
#include "shell/shell.h"
#include "ui/controls.h"
#include "ui/dpi.h"
#include "ui/ids.h"
#include "ui/skin.h"
#include "ui/window.h"

#include "zerrow_ids.h"

#include <shellapi.h>

#include <algorithm>

namespace zrw {

namespace {

constexpr wchar_t kAboutClass[] = L"ZerrowSettings";
constexpr DWORD kAboutStyle = WS_CAPTION | WS_SYSMENU;

HWND g_about = nullptr;

// How a control takes the window's width: text across it, a button from the
// left or the right margin.
enum class Anchor { Fill, Left, Right };

struct AboutControl {
    int id;
    Anchor anchor;
    Place place;  // at 96 DPI; a button's width the least it gets
};

const AboutControl kAboutControls[kAboutControlCount] = {
    {kIdAboutTitle, Anchor::Fill, {18, 20, 584, 26}},
    {kIdAboutNote, Anchor::Fill, {18, 48, 584, 42}},
    {kIdAboutVersion, Anchor::Fill, {18, 96, 584, 22}},
    {kIdOpenLogs, Anchor::Left, {18, 130, 200, 34}},
    {kIdUninstall, Anchor::Left, {18, 172, 264, 34}},
    {kIdAboutStatus, Anchor::Fill, {18, 308, 584, 30}},
    {kIdAboutClose, Anchor::Right, {506, 342, 96, 30}},
};
constexpr SIZE kAboutClient{620, 384};
constexpr int kAboutMargin = 18;
// Room on each side of a button's label: the painter's margin and a little air.
constexpr int kLabelPadding = 12;

SIZE AboutOuterSize(SIZE client) {
    RECT outer{0, 0, client.cx, client.cy};
    AdjustWindowRect(&outer, kAboutStyle, FALSE);
    return SIZE{outer.right - outer.left, outer.bottom - outer.top};
}

void CreateAboutControls(HWND about) {
    for (const AboutControl& c : kAboutControls) {
        bool button = c.anchor != Anchor::Fill;
        DWORD style = button ? BS_OWNERDRAW | WS_TABSTOP : 0;
        HWND control = CreateControl(about, button ? L"BUTTON" : L"STATIC", L"", style, c.id);
        if (button) InstallHoverTracking(control);
    }
}

int TextWidth(HDC dc, HWND control) {
    std::wstring text = ControlText(control);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

// Places the controls for their texts and sizes the window to them: centred
// over a rectangle, 64 pixels (scaled) below its top, when one is given, else
// where it is; within the screen's work area either way.
void PlaceAboutControls(HWND about, const RECT* over) {
    int widths[kAboutControlCount] = {};
    if (WindowDc dc{about}) {
        SelectedObject font(dc.get(), InterfaceFont());
        for (int i = 0; i < kAboutControlCount; ++i)
            widths[i] = TextWidth(dc.get(), GetDlgItem(about, kAboutControls[i].id));
    }
    AboutLayout layout = ComputeAboutLayout(InterfaceDpi(), widths);
    for (int i = 0; i < kAboutControlCount; ++i) {
        const Place& p = layout.controls[i];
        MoveWindow(GetDlgItem(about, kAboutControls[i].id), p.x, p.y, p.w, p.h, TRUE);
    }
    SIZE size = AboutOuterSize(layout.client);
    RECT now{};
    GetWindowRect(about, &now);
    POINT at{now.left, now.top};
    if (over)
        at = POINT{over->left + (over->right - over->left - size.cx) / 2,
                   over->top + Scale(64, InterfaceDpi())};
    RECT r = FitIntoWorkArea(WorkAreaAt(at), at, size);
    SetWindowPos(about, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
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

AboutLayout ComputeAboutLayout(int dpi, const int (&labelWidths)[kAboutControlCount]) {
    auto s = [dpi](int v) { return Scale(v, dpi); };
    AboutLayout layout;
    int widths[kAboutControlCount] = {};
    int client = s(kAboutClient.cx);
    for (int i = 0; i < kAboutControlCount; ++i) {
        const AboutControl& c = kAboutControls[i];
        if (c.anchor == Anchor::Fill) continue;
        widths[i] = std::max(s(c.place.w), labelWidths[i] + 2 * s(kLabelPadding));
        client = std::max(client, widths[i] + 2 * s(kAboutMargin));
    }
    layout.client = SIZE{client, s(kAboutClient.cy)};
    int margin = s(kAboutMargin);
    for (int i = 0; i < kAboutControlCount; ++i) {
        const AboutControl& c = kAboutControls[i];
        Place& p = layout.controls[i];
        p = Place{margin, s(c.place.y), widths[i], s(c.place.h)};
        if (c.anchor == Anchor::Fill) p.w = client - 2 * margin;
        if (c.anchor == Anchor::Right) p.x = client - margin - p.w;
    }
    return layout;
}

void openAboutWindow(HWND mainWindow) {
    if (g_about) {
        SetAboutTexts(g_about);
        LayoutAboutWindow();
        SetForegroundWindow(g_about);
        return;
    }
    if (!RegisterProgramClass(kAboutClass, AboutProc)) return;
    RECT owner{};
    if (!mainWindow || !GetWindowRect(mainWindow, &owner)) owner = WorkAreaAt(POINT{0, 0});
    g_about = CreateWindowExW(0, kAboutClass, L"", kAboutStyle, owner.left, owner.top, 0, 0,
                              mainWindow, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!g_about) return;
    CreateAboutControls(g_about);
    SetAboutTexts(g_about);
    PlaceAboutControls(g_about, &owner);
    ShowWindow(g_about, SW_SHOW);
    SetForegroundWindow(g_about);
    SetFocus(GetDlgItem(g_about, kIdOpenLogs));
}

HWND AboutWindow() { return g_about; }

void LayoutAboutWindow() {
    if (g_about) PlaceAboutControls(g_about, nullptr);
}

bool AboutDialogMessage(MSG& msg) { return g_about && IsDialogMessageW(g_about, &msg); }

void OpenLogFolder(HWND owner) {
    EnsureLogFolder();
    ShellExecuteW(owner, L"open", LogFolder().c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace zrw
