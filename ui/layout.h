// Where the main window and its controls go, computed from a client size, a
// DPI and the screen's work area.
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
    // The last column, the modified time, takes what the list has left.
    int nameWidth = 0, sizeWidth = 0;
};
// The places for a client size at a DPI; false below 100 x 100 (scaled), where
// nothing moves. From 650 x 400 (scaled) up nothing overlaps or lies outside.
bool ComputeLayout(int width, int height, int dpi, MainLayout& layout);
// The smallest window: one with a client area of 900 x 520 (scaled), made
// smaller where the work area is, down to the 650 x 400 the layout still
// holds; frame is what the window's frame adds to its client area.
SIZE MinimumWindowSize(int dpi, SIZE frame, SIZE workArea);
// A window of size, at most the work area's, moved from at as little as it
// takes to lie within the work area.
RECT FitIntoWorkArea(const RECT& workArea, POINT at, SIZE size);
// The work area of the monitor nearest to a point.
RECT WorkAreaAt(POINT point);

}  // namespace zrw

#endif
