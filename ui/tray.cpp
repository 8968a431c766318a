// The notification-area icon and its menu.
#include "ui/tray.h"
#include "app/lang.h"
#include "app/logdir.h"
#include "ui/menu.h"
#include "ui/skin.h"
#include "ui/window.h"

#include <shellapi.h>

#include <cstdio>
#include <iterator>

namespace zrw {

namespace {

constexpr UINT kTrayIconId = 1;
constexpr wchar_t kProbeClass[] = L"ZerrowTrayProbe";

// One icon for the whole process, owned by the main window (or the dump's probe).
NOTIFYICONDATAW g_tray;
UniqueIcon g_trayIcon;  // while the icon is added
bool g_trayAdded = false;
UINT g_taskbarCreated = 0;

HWND CreateProbeWindow() {
    if (!RegisterProgramClass(kProbeClass, DefWindowProcW)) return nullptr;
    return CreateWindowExW(0, kProbeClass, L"", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

std::wstring MenuReport(HMENU menu) {
    int count = GetMenuItemCount(menu);
    std::wstring text = L"real_n=" + std::to_wstring(count) + L"\n";
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_SUBMENU;
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        wchar_t line[96];
        swprintf(line, 96, L"item=%d id=%u owner_draw=%d sub_n=%d\n", i, info.wID,
                 (info.fType & MFT_OWNERDRAW) ? 1 : 0,
                 info.hSubMenu ? GetMenuItemCount(info.hSubMenu) : 0);
        text += line;
    }
    return text;
}

DWORD NoteFlags(TrayNote kind) {
    switch (kind) {
    case TrayNote::Warning: return NIIF_WARNING;
    case TrayNote::Error: return NIIF_ERROR;
    case TrayNote::Info: break;
    }
    return NIIF_INFO;
}

}  // namespace

TrayNotifier g_notifyIcon = Shell_NotifyIconW;

UniqueIcon LoadSmallIcon(HINSTANCE module, const wchar_t* name, LoadIconMetricFn loadMetric) {
    UniqueIcon icon;
    if (loadMetric && SUCCEEDED(loadMetric(module, name, LIM_SMALL, icon.put()))) return icon;
    icon.reset(
        static_cast<HICON>(LoadImageW(module, name, IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                      GetSystemMetrics(SM_CYSMICON), 0)));
    return icon;
}

UniqueIcon ProgramSmallIcon() {
    LoadIconMetricFn loadMetric = OptionalLoadIconMetric();
    UniqueIcon icon = LoadSmallIcon(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), loadMetric);
    return icon ? std::move(icon) : LoadSmallIcon(nullptr, IDI_APPLICATION, loadMetric);
}

std::wstring TrayTip(const std::wstring& productName) {
    return (productName + L"  —  右键看菜单").substr(0, 127);
}

bool addTrayIcon(HWND window) {
    if (g_trayAdded) return true;
    g_tray = NOTIFYICONDATAW{};
    g_tray.cbSize = sizeof(g_tray);
    g_tray.hWnd = window;
    g_tray.uID = kTrayIconId;
    g_tray.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    g_tray.uCallbackMessage = kTrayMessage;
    if (!g_trayIcon) g_trayIcon = ProgramSmallIcon();
    g_tray.hIcon = g_trayIcon.get();
    TrayTip(g_productName).copy(g_tray.szTip, 127);
    g_trayAdded = g_notifyIcon(NIM_ADD, &g_tray) != FALSE;
    return g_trayAdded;
}

void removeTrayIcon() {
    if (g_trayAdded) g_notifyIcon(NIM_DELETE, &g_tray);
    g_trayAdded = false;
    g_trayIcon.reset();
}

bool TrayIconAdded() { return g_trayAdded; }

bool ShowTrayNote(const std::wstring& title, const std::wstring& text, TrayNote kind) {
    if (!g_trayAdded) return false;
    NOTIFYICONDATAW note = g_tray;
    note.uFlags = NIF_INFO;
    title.copy(note.szInfoTitle, std::size(note.szInfoTitle) - 1);
    text.copy(note.szInfo, std::size(note.szInfo) - 1);
    note.dwInfoFlags = NoteFlags(kind);
    return g_notifyIcon(NIM_MODIFY, &note) != FALSE;
}

UINT RegisterTaskbarCreated() {
    g_taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    return g_taskbarCreated;
}

bool IsTaskbarCreated(UINT message) { return g_taskbarCreated != 0 && message == g_taskbarCreated; }

void OnTaskbarCreated(HWND window) {
    // Explorer restarted: whatever it knew of the icon is gone.
    g_trayAdded = false;
    addTrayIcon(window);
}

void OnTrayCallback(HWND window, LPARAM lp) {
    switch (LOWORD(lp)) {
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
        ShowWindow(window, SW_RESTORE);
        SetForegroundWindow(window);
        break;
    case WM_RBUTTONUP:
    case WM_CONTEXTMENU: ShowMainMenuAtCursor(window); break;
    default: break;
    }
}

int DumpTray(const std::wstring& outFile) {
    LoadAndApplySettings();
    ApplyLanguage();
    HWND probe = CreateProbeWindow();
    if (!probe) return 1;
    bool added = addTrayIcon(probe);
    std::wstring text = std::wstring(L"tray_add_ok=") + (added ? L"1" : L"0") + L"\n";
    text += L"tip=" + std::wstring(g_tray.szTip) + L"\n";
    if (UniqueMenu menu = BuildMainMenu()) {
        text += MenuReport(menu.get());
    } else {
        text += L"real_n=0\n";
    }
    removeTrayIcon();
    DestroyWindow(probe);
    return WriteDump(outFile, L"tray.txt", text);
}

}  // namespace zrw
