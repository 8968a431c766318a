// Where the main window's controls go for a client size and DPI.
#include "ui/layout.h"
#include "ui/dpi.h"
#include "ui/panes.h"
#include "ui/window.h"

#include <commctrl.h>

#include <algorithm>

namespace zrw {

namespace {

void PlaceControl(HWND control, const Place& p, bool repaint = true) {
    if (control) MoveWindow(control, p.x, p.y, p.w, p.h, repaint);
}

void SetColumnWidths(HWND list, const MainLayout& l) {
    if (!list) return;
    HWND header = ListView_GetHeader(list);
    int columns = header ? Header_GetItemCount(header) : 3;
    for (int i = 0; i + 1 < columns; ++i)
        ListView_SetColumnWidth(list, i,
                                i == 0   ? l.nameWidth
                                : i == 1 ? l.sizeWidth
                                         : l.leftList.w / 4);
    FitLastColumn(list);
}

// The client area the layout was drawn for at 96 DPI; below it the report
// panel gives up height, then the button column its gaps.
constexpr int kMinClientWidth = 900;
constexpr int kMinClientHeight = 520;
// The least client area (at 96 DPI) in which nothing overlaps: the path boxes
// at their narrowest, the report panel a few lines tall.
constexpr int kLeastClientWidth = 650;
constexpr int kLeastClientHeight = 400;

}  // namespace

bool ComputeLayout(int W, int H, int dpi, MainLayout& l) {
    auto s = [dpi](int v) { return Scale(v, dpi); };
    if (W < s(100) || H < s(100)) return false;
    int half = std::max((W - s(170)) / 2, s(240));
    int reportH = std::clamp(H - s(382), s(40), s(138));
    int reportY = H - s(114) - reportH;
    int listH = std::max(reportY - s(104), s(90));
    // Four buttons, 12 pixels apart while the lists leave room, at least 2.
    int step = std::clamp((reportY - s(136)) / 3, s(34), s(44));
    int midX = half + s(22);
    int midY = std::max((listH - 3 * step - s(32)) / 2 + s(90), s(96));
    int bottom = H - s(48);
    int sw = W - s(28);
    l.half = half;
    l.listH = listH;
    l.midX = midX;
    l.midY = midY;
    l.menu = {W - s(54), s(15), s(40), s(28)};
    l.title = {s(14), s(19), W - s(76), s(22)};
    l.leftUp = {s(14), s(52), s(58), s(30)};
    l.leftBrowse = {s(76), s(52), s(32), s(30)};
    l.leftPath = {s(114), s(55), half - s(101), s(24)};
    l.rightUp = {half + s(156), s(52), s(58), s(30)};
    l.rightBrowse = {half + s(218), s(52), s(32), s(30)};
    l.rightPath = {half + s(256), s(55), half - s(101), s(24)};
    l.leftList = {s(20), s(96), half - s(12), listH - s(12)};
    l.rightList = {half + s(162), s(96), half - s(12), listH - s(12)};
    l.engineMid = {midX, s(52), s(126), s(30)};
    l.copyRight = {midX, midY, s(126), s(32)};
    l.moveRight = {midX, midY + step, s(126), s(32)};
    l.copyLeft = {midX, midY + 2 * step, s(126), s(32)};
    l.moveLeft = {midX, midY + 3 * step, s(126), s(32)};
    l.report = {s(24), reportY, W - s(48), reportH};
    l.status = {s(14), H - s(100), sw * 58 / 100, s(18)};
    l.failure = {s(14) + sw * 58 / 100, H - s(100), sw * 42 / 100, s(18)};
    l.bar = {s(14), H - s(78), sw, s(20)};
    l.progress = {-500, -500, 12, 12};
    l.refresh = {s(14), bottom, s(76), s(34)};
    l.engineBar = {s(98), bottom, s(176), s(34)};
    l.verify = {s(282), bottom, s(108), s(34)};
    l.pause = {W - s(190), bottom, s(76), s(34)};
    l.cancel = {W - s(106), bottom, s(92), s(34)};
    int listWidth = l.leftList.w;
    l.nameWidth = listWidth * 46 / 100;
    l.sizeWidth = listWidth * 18 / 100;
    return true;
}

SIZE MinimumWindowSize(int dpi, SIZE frame, SIZE workArea) {
    auto side = [dpi](LONG work, LONG edges, int least, int drawn) {
        return std::clamp(work, Scale(least, dpi) + edges, Scale(drawn, dpi) + edges);
    };
    return SIZE{side(workArea.cx, frame.cx, kLeastClientWidth, kMinClientWidth),
                side(workArea.cy, frame.cy, kLeastClientHeight, kMinClientHeight)};
}

RECT FitIntoWorkArea(const RECT& work, POINT at, SIZE size) {
    LONG w = std::min(size.cx, work.right - work.left);
    LONG h = std::min(size.cy, work.bottom - work.top);
    LONG x = std::clamp(at.x, work.left, work.right - w);
    LONG y = std::clamp(at.y, work.top, work.bottom - h);
    return RECT{x, y, x + w, y + h};
}

RECT WorkAreaAt(POINT point) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST), &info))
        return info.rcWork;
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

void LayoutMainWindow() {
    MainState& m = g_main;
    if (!m.window) return;
    RECT client;
    GetClientRect(m.window, &client);
    MainLayout l;
    if (!ComputeLayout(client.right, client.bottom, m.dpi, l)) return;
    PlaceControl(m.menu, l.menu);
    PlaceControl(m.title, l.title);
    PlaceControl(m.leftUp, l.leftUp);
    PlaceControl(m.leftBrowse, l.leftBrowse);
    PlaceControl(m.leftPath, l.leftPath);
    PlaceControl(m.rightUp, l.rightUp);
    PlaceControl(m.rightBrowse, l.rightBrowse);
    PlaceControl(m.rightPath, l.rightPath);
    PlaceControl(m.leftList, l.leftList);
    PlaceControl(m.rightList, l.rightList);
    PlaceControl(m.engineMid, l.engineMid);
    PlaceControl(m.copyRight, l.copyRight);
    PlaceControl(m.moveRight, l.moveRight);
    PlaceControl(m.copyLeft, l.copyLeft);
    PlaceControl(m.moveLeft, l.moveLeft);
    PlaceControl(m.report, l.report);
    if (m.report) ShowWindow(m.report, SW_SHOW);
    PlaceControl(m.status, l.status);
    PlaceControl(m.failure, l.failure);
    PlaceControl(m.bar, l.bar);
    PlaceControl(m.progress, l.progress, false);
    PlaceControl(m.refresh, l.refresh);
    PlaceControl(m.engineBar, l.engineBar);
    PlaceControl(m.verify, l.verify);
    PlaceControl(m.pauseButton, l.pause);
    PlaceControl(m.cancel, l.cancel);
    SetColumnWidths(m.leftList, l);
    SetColumnWidths(m.rightList, l);
    InvalidateRect(m.window, nullptr, TRUE);
}

}  // namespace zrw
