#include "app/app.h"
#include "ui/ui.h"

#include <algorithm>

namespace zrw {

namespace {

void Put(HWND control, const Place& p, bool repaint = true) {
    if (control) MoveWindow(control, p.x, p.y, p.w, p.h, repaint);
}

void SetColumnWidths(HWND list, const MainLayout& l) {
    if (!list) return;
    HWND header = ListView_GetHeader(list);
    int columns = header ? Header_GetItemCount(header) : 3;
    int listWidth = l.half - 12;
    for (int i = 0; i < columns; ++i) {
        int width = i == 0 ? l.nameWidth : i == 1 ? l.sizeWidth : i == 2 ? l.modifiedWidth
                                                                         : listWidth / 4;
        ListView_SetColumnWidth(list, i, width);
    }
}

}  // namespace

bool ComputeLayout(int W, int H, MainLayout& l) {
    if (W < 100 || H < 100) return false;
    int half = std::max((W - 170) / 2, 240);
    int listH = std::max(H - 356, 90);
    int midX = half + 22;
    int midY = std::max((listH - 164) / 2 + 90, 96);
    int bottom = H - 48;
    int sw = W - 28;
    l.half = half;
    l.listH = listH;
    l.midX = midX;
    l.midY = midY;
    l.menu = {W - 54, 15, 40, 28};
    l.title = {14, 19, W - 76, 22};
    l.leftUp = {14, 52, 58, 30};
    l.leftBrowse = {76, 52, 32, 30};
    l.leftPath = {114, 55, half - 101, 24};
    l.rightUp = {half + 156, 52, 58, 30};
    l.rightBrowse = {half + 218, 52, 32, 30};
    l.rightPath = {half + 256, 55, half - 101, 24};
    l.leftList = {20, 96, half - 12, listH - 12};
    l.rightList = {half + 162, 96, half - 12, listH - 12};
    l.engineMid = {midX, 52, 126, 30};
    l.copyRight = {midX, midY, 126, 32};
    l.moveRight = {midX, midY + 44, 126, 32};
    l.copyLeft = {midX, midY + 88, 126, 32};
    l.moveLeft = {midX, midY + 132, 126, 32};
    l.report = {24, H - 252, W - 48, 138};
    l.status = {14, H - 100, sw * 58 / 100, 18};
    l.failure = {14 + sw * 58 / 100, H - 100, sw * 42 / 100, 18};
    l.bar = {14, H - 78, sw, 20};
    l.progress = {-500, -500, 12, 12};
    l.refresh = {14, bottom, 76, 34};
    l.engineBar = {98, bottom, 176, 34};
    l.verify = {282, bottom, 108, 34};
    l.pause = {W - 190, bottom, 76, 34};
    l.cancel = {W - 106, bottom, 92, 34};
    int listWidth = half - 12;
    l.nameWidth = listWidth * 46 / 100;
    l.sizeWidth = listWidth * 18 / 100;
    l.modifiedWidth = listWidth - l.nameWidth - l.sizeWidth;
    return true;
}

void LayoutMainWindow() {
    MainState& m = g_main;
    if (!m.window) return;
    RECT client;
    GetClientRect(m.window, &client);
    MainLayout l;
    if (!ComputeLayout(client.right, client.bottom, l)) return;
    Put(m.menu, l.menu);
    Put(m.title, l.title);
    Put(m.leftUp, l.leftUp);
    Put(m.leftBrowse, l.leftBrowse);
    Put(m.leftPath, l.leftPath);
    Put(m.rightUp, l.rightUp);
    Put(m.rightBrowse, l.rightBrowse);
    Put(m.rightPath, l.rightPath);
    Put(m.leftList, l.leftList);
    Put(m.rightList, l.rightList);
    Put(m.engineMid, l.engineMid);
    Put(m.copyRight, l.copyRight);
    Put(m.moveRight, l.moveRight);
    Put(m.copyLeft, l.copyLeft);
    Put(m.moveLeft, l.moveLeft);
    Put(m.report, l.report);
    if (m.report) ShowWindow(m.report, SW_SHOW);
    Put(m.status, l.status);
    Put(m.failure, l.failure);
    Put(m.bar, l.bar);
    Put(m.progress, l.progress, false);
    Put(m.refresh, l.refresh);
    Put(m.engineBar, l.engineBar);
    Put(m.verify, l.verify);
    Put(m.pauseButton, l.pause);
    Put(m.cancel, l.cancel);
    SetColumnWidths(m.leftList, l);
    SetColumnWidths(m.rightList, l);
    InvalidateRect(m.window, nullptr, TRUE);
}

}  // namespace zrw
