// Helpers of the menu tests: pixels of off-screen drawings, the items of a
// built menu, and the popup menu windows of this process.
#ifndef ZERROW_TESTS_MENU_MENU_HELPERS_H
#define ZERROW_TESTS_MENU_MENU_HELPERS_H

#include "tests/support/window_fixture.h"
#include "ui/canvas.h"

#include <algorithm>
#include <string>
#include <vector>

namespace zrw::test {

// "RRGGBB", so that a failed colour check prints something readable.
std::string Hex(COLORREF colour);
// Text is drawn with smoothed edges, depending on the font: its colour is
// found within a tolerance per channel.
int CountNear(const MemoryCanvas& canvas, const RECT& area, COLORREF colour, int tolerance = 48);
// Pixels of exactly this colour in the rectangle.
inline int CountColour(const MemoryCanvas& canvas, const RECT& area, COLORREF colour) {
    return CountNear(canvas, area, colour, 0);
}

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

}  // namespace zrw::test

#endif
