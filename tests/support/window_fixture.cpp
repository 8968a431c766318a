// The main window opened for a test, and the message pumping around it.
#include "tests/support/window_fixture.h"
#include "ui/panes.h"
#include "ui/window.h"

#include <commctrl.h>
#include <shlobj.h>

namespace zrw::test {

int PumpMessages() {
    int timers = 0;
    for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) {
        if (msg.message == WM_QUIT) continue;
        timers += msg.message == WM_TIMER;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return timers;
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    return WaitUntil(
        [&] {
            PumpMessages();
            return done();
        },
        timeoutMs);
}

std::vector<HWND> DirectChildren(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
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

bool WaitForListing(HWND list, DWORD timeoutMs) {
    return PaneListed(list) || PumpUntil([list] { return PaneListed(list); }, timeoutMs);
}

std::wstring CellText(HWND list, int row, int column) {
    WaitForListing(list);
    wchar_t text[520] = {};
    ListView_GetItemText(list, row, column, text, 520);
    return text;
}

std::vector<std::wstring> RowNames(HWND list) {
    WaitForListing(list);
    std::vector<std::wstring> names;
    for (int i = 0; i < ListView_GetItemCount(list); ++i) names.push_back(CellText(list, i, 0));
    return names;
}

void DoubleClick(HWND list, int row) {
    WaitForListing(list);
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
    WindowDc screen(control);
    return GetPixel(screen.get(), x, y);
}

void MainWindowTest::TearDown() {
    if (window_) DestroyWindow(window_);
    PumpMessages();
}

void MainWindowTest::Open(WindowStart start) {
    window_ = CreateMainWindow(start);
    ASSERT_NE(window_, nullptr);
    SetForegroundWindow(window_);
    PumpMessages();
    ASSERT_TRUE(WaitForPanes());
}

bool MainWindowTest::WaitForPanes() {
    return WaitForListing(g_main.leftList) && WaitForListing(g_main.rightList);
}

void MainWindowTest::Open(const std::wstring& left, const std::wstring& right) {
    WindowStart start;
    start.leftFolder = left;
    start.rightFolder = right;
    Open(start);
}

}  // namespace zrw::test
