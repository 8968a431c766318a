// A main window made for one test, on a fresh settings key, with the
// messages pumped the way the message loop would.
#ifndef ZERROW_TESTS_SUPPORT_WINDOW_FIXTURE_H
#define ZERROW_TESTS_SUPPORT_WINDOW_FIXTURE_H

#include "app/settings.h"
#include "tests/support/dialogs.h"
#include "tests/support/support.h"
#include "ui/layout.h"
#include "ui/window.h"

#include <shellapi.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace zrw::test {

// Dispatches what is queued, until nothing is; the number of timer messages
// among them.
int PumpMessages();
// Pumps until done holds; false when the time ran out first.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);
inline int64_t ReadSetting(const wchar_t* name) { return ReadDword(kSettingsKey, name); }
// The direct children of a window in creation order.
std::vector<HWND> DirectChildren(HWND parent);
// A drop of these paths, as Explorer would hand it over.
HDROP MakeDrop(const std::vector<std::wstring>& paths);
// Pumps until the pane's listing is complete; false when the time ran out.
bool WaitForListing(HWND list, DWORD timeoutMs = 20000);
// The rows of a list, once its listing is complete.
std::vector<std::wstring> RowNames(HWND list);
std::wstring CellText(HWND list, int row, int column);
// Sends a double-click on a row, once the listing is complete, as the list would notify it.
void DoubleClick(HWND list, int row);
// The window's pixels as they are on the screen.
COLORREF PixelAt(HWND control, int x, int y);
// Whether two controls' places share a pixel.
inline bool Overlap(const Place& a, const Place& b) {
    return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}

class MainWindowTest : public IsolatedTest {
protected:
    void TearDown() override;
    void Open(WindowStart start);
    void Open(const std::wstring& left, const std::wstring& right = L"");
    void Open() { Open(dir.path()); }
    // Pumps until both panes have listed their folders.
    bool WaitForPanes();

    HWND window_ = nullptr;
};

}  // namespace zrw::test

#endif
