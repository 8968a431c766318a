// Where the main window's controls go, computed from a client size and a DPI.
#ifndef ZERROW_UI_LAYOUT_H
#define ZERROW_UI_LAYOUT_H

#include "base/win.h"

namespace zrw {

// A control's place: left, top, width, height.
struct Place {
    int x = 0, y = 0, w = 0, h = 0;
};
struct MainLayout {
    int half = 0, listH = 0, midX = 0, midY = 0;
    Place menu, title, leftUp, leftBrowse, leftPath, rightUp, rightBrowse, rightPath;
    Place leftList, rightList, engineMid, copyRight, moveRight, copyLeft, moveLeft;
    Place report, status, failure, bar, progress, refresh, engineBar, verify, pause, cancel;
    int nameWidth = 0, sizeWidth = 0, modifiedWidth = 0;
};
// The places for a client size at a DPI; false below 100 x 100 (scaled), where
// nothing moves.
bool ComputeLayout(int width, int height, int dpi, MainLayout& layout);
// The smallest window whose client area the layout fills without overlaps;
// frame is what the window's frame adds to its client area.
SIZE MinimumWindowSize(int dpi, SIZE frame);

}  // namespace zrw

#endif
