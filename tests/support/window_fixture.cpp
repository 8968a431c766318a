#include "tests/support/window_fixture.h"

#include <commctrl.h>
#include <shlobj.h>

namespace zrw::test {

void PumpMessages() {
    MSG msg;
    for (int round = 0; round < 3; ++round) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(20);
    }
}

void ResetAppState() {
    DeleteUserKey(L"Software\\Zerrow");
    g_settings = Settings{};
    g_engineFromCommandLine = false;
    g_verifyFromCommandLine = false;
    g_langFromCommandLine = false;
    g_cmdSkin = -1;
    g_cmdImgPath.clear();
    UiLang = kLangZh;
    ApplyLanguage();
}

DWORD ReadSetting(const wchar_t* name) {
    DWORD value = 0xDEADBEEF;
    DWORD size = sizeof(value);
    RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

std::vector<HWND> DirectChildren(HWND parent) {
    struct Walk {
        HWND parent;
        std::vector<HWND> children;
    } walk{parent, {}};
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM lp) {
            auto* w = reinterpret_cast<Walk*>(lp);
            if (GetParent(child) == w->parent) w->children.push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&walk));
    return walk.children;
}

HDROP MakeDrop(const std::vector<std::wstring>& paths) {
    size_t chars = 1;
    for (const std::wstring& p : paths) chars += p.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    auto* text = reinterpret_cast<wchar_t*>(drop + 1);
    for (const std::wstring& p : paths) {
        p.copy(text, p.size());
        text += p.size() + 1;
    }
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

std::wstring CellText(HWND list, int row, int column) {
    wchar_t text[520] = {};
    ListView_GetItemText(list, row, column, text, 520);
    return text;
}

std::vector<std::wstring> RowNames(HWND list) {
    std::vector<std::wstring> names;
    for (int i = 0; i < ListView_GetItemCount(list); ++i) names.push_back(CellText(list, i, 0));
    return names;
}

void DoubleClick(HWND list, int row) {
    NMITEMACTIVATE activate{};
    activate.hdr.hwndFrom = list;
    activate.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(list));
    activate.hdr.code = NM_DBLCLK;
    activate.iItem = row;
    SendMessageW(GetParent(list), WM_NOTIFY, activate.hdr.idFrom,
                 reinterpret_cast<LPARAM>(&activate));
}

COLORREF PixelAt(HWND control, int x, int y) {
    RedrawWindow(GetAncestor(control, GA_ROOT), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessages();
    HDC screen = GetDC(control);
    COLORREF c = GetPixel(screen, x, y);
    ReleaseDC(control, screen);
    return c;
}

void MainWindowTest::SetUp() { ResetAppState(); }

void MainWindowTest::TearDown() {
    if (window_) DestroyWindow(window_);
    PumpMessages();
    ResetAppState();
}

void MainWindowTest::Open(WindowStart start) {
    window_ = CreateMainWindow(start);
    ASSERT_NE(window_, nullptr);
    SetForegroundWindow(window_);
    PumpMessages();
}

}  // namespace zrw::test
