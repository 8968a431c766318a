// Helpers of the menu tests: pixels of off-screen drawings, the items of a
// built menu, and the popup menu windows of this process.
#ifndef ZERROW_TESTS_MENU_MENU_HELPERS_H
#define ZERROW_TESTS_MENU_MENU_HELPERS_H

#include "app/app.h"
#include "tests/support/window_fixture.h"
#include "ui/ui.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace zrw::test {

// "RRGGBB", so that a failed colour check prints something readable.
std::string Hex(COLORREF colour);
// Pixels of exactly this colour in the rectangle.
int CountColour(const MemoryCanvas& canvas, const RECT& area, COLORREF colour);
// Text is drawn with smoothed edges, depending on the font: its colour is
// found within a tolerance per channel.
int CountNear(const MemoryCanvas& canvas, const RECT& area, COLORREF colour, int tolerance = 48);

struct MenuItem {
    int id = 0;
    UINT type = 0;
    UINT state = 0;
    int data = 0;
    HMENU submenu = nullptr;
};
MenuItem ReadItem(HMENU menu, int position);
HBRUSH MenuBackground(HMENU menu);

// Visible popup menu windows of this process.
std::vector<HWND> PopupMenus();
// Top-level windows of this process with the class.
std::vector<HWND> TopWindowsOfClass(const wchar_t* className);

// A message box of this process that `open` brings up, answered with OK
// from a second thread.
struct AnsweredBox {
    bool shown = false;
    std::wstring caption;
    std::vector<std::wstring> texts;  // of its static controls
    HWND owner = nullptr;
};
AnsweredBox AnswerBox(const std::function<void()>& open);

// The main window, its left pane on the test's scratch folder.
class MenuWindowTest : public MainWindowTest {
protected:
    void OpenWindow();
};

}  // namespace zrw::test

#endif
