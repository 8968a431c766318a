// The engine, verify and language switches, and the window's idle and busy states.
#include "app/lang.h"
#include "app/settings.h"
#include "ui/controls.h"
#include "ui/dpi.h"
#include "ui/skin.h"
#include "ui/window.h"

namespace zrw {

namespace {

constexpr COLORREF kFailureText = RGB(224, 108, 90);

BOOL CALLBACK RelabelChild(HWND child, LPARAM) {
    std::wstring text = ControlText(child);
    if (text.empty()) return TRUE;
    std::wstring relabelled = Tr(text, UiLang);
    if (relabelled != text) SetWindowTextW(child, relabelled.c_str());
    return TRUE;
}

}  // namespace

void SetWindowIdle(bool idle) {
    const MainState& m = g_main;
    for (HWND control :
         {m.leftUp, m.leftBrowse, m.rightUp, m.rightBrowse, m.refresh, m.copyRight, m.moveRight,
          m.copyLeft, m.moveLeft, m.leftList, m.rightList, m.rightPath, m.menu})
        if (control) EnableWindow(control, idle);
    for (HWND control : {m.cancel, m.pauseButton})
        if (control) EnableWindow(control, !idle);
    if (idle) LeaveWindowQueue();
    RefreshTitleLine();
}

void SetStatusText(const std::wstring& text) {
    if (g_main.status) SetWindowTextW(g_main.status, text.c_str());
}

void RefreshEngineLabels() {
    std::wstring label = Tr(g_settings.engine == Engine::Native ? L"原生引擎" : L"vozi");
    for (HWND button : {g_main.engineBar, g_main.engineMid})
        if (button) SetWindowTextW(button, label.c_str());
}

void RefreshVerifyLabel() {
    if (g_main.verify)
        SetWindowTextW(g_main.verify, Tr(g_settings.verify ? L"校验：开" : L"校验：关").c_str());
}

void SwitchEngine() {
    if (g_main.running) {
        MessageBeep(MB_ICONWARNING);
        return;
    }
    g_settings.engine = g_settings.engine == Engine::Native ? Engine::Robocopy : Engine::Native;
    g_engineFromCommandLine = false;
    SaveSettings();
    RefreshEngineLabels();
    SetStatusText(Tr(g_settings.engine == Engine::Native
                         ? L"引擎已切到原生引擎（自研 VEZIzozar，不调用系统 robocopy）"
                         : L"引擎已切到vozi（Windows 自带 robocopy）"));
}

void SwitchVerify() {
    if (g_main.running) {
        MessageBeep(MB_ICONWARNING);
        return;
    }
    g_settings.verify = !g_settings.verify;
    SaveSettings();
    RefreshVerifyLabel();
    SetStatusText(Tr(g_settings.verify ? L"校验已开：复制完会逐文件比对源和目标" : L"校验已关"));
}

void SwitchHashList() {
    if (g_main.running) {
        MessageBeep(MB_ICONWARNING);
        return;
    }
    g_settings.hash = !g_settings.hash;
    g_hashFromCommandLine = false;
    SaveSettings();
    SetStatusText(Tr(g_settings.hash ? L"哈希清单已开：目标里的 SHA256SUMS 会记下每个文件的 SHA-256"
                                     : L"哈希清单已关"));
}

void SwitchLanguage(uint32_t language) {
    g_langFromCommandLine = false;
    UiLang = language;
    SaveSettings();
    ApplyLanguage();
    RefreshEngineLabels();
    RefreshVerifyLabel();
    if (!g_main.window) return;
    SetWindowTextW(g_main.window, g_appTitle.c_str());
    EnumChildWindows(g_main.window, RelabelChild, 0);
    LayoutMainWindow();
    // The rows' texts are asked for as they are drawn.
    InvalidateRect(g_main.leftList, nullptr, TRUE);
    InvalidateRect(g_main.rightList, nullptr, TRUE);
}

HBRUSH ControlColours(HDC dc, HWND control) {
    const MainState& m = g_main;
    if (control == m.rightPath) {
        SetTextColor(dc, skin::text());
        SetBkColor(dc, skin::panel());
        return brushFor(skin::panel());
    }
    if (control == m.report && PictureActive()) {
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, skin::text());
        return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    }
    COLORREF back = control == m.report ? skin::panel() : skin::background();
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, back);
    COLORREF fore = skin::text();
    if (control == m.failure && GetWindowTextLengthW(control) > 0) fore = kFailureText;
    else if (control == m.title || control == m.status) fore = skin::secondaryText();
    SetTextColor(dc, fore);
    return brushFor(back);
}

void DrawOwnerStatic(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    FillRect(dc, &item.rcItem, ControlColours(dc, item.hwndItem));
    SetBkMode(dc, TRANSPARENT);
    SelectedObject font(dc, InterfaceFont());
    DrawLabel(dc, ControlText(item.hwndItem), item.rcItem, DT_RIGHT);
}

}  // namespace zrw
