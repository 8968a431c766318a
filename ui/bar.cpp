// The skinned progress bar.
#include "ui/controls.h"
#include "ui/skin.h"
#include "ui/window.h"

#include <commctrl.h>

namespace zrw {

namespace {

void RoundBox(HDC dc, int left, int top, int right, int bottom, int corner, COLORREF fill,
              COLORREF outline) {
    SelectedObject brush(dc, brushFor(fill));
    SelectedObject pen(dc, penFor(outline));
    RoundRect(dc, left, top, right, bottom, corner, corner);
}

void DrawBar(HWND bar, HDC dc, int width, int height) {
    RECT client{0, 0, width, height};
    RefreshPictureBackground();
    paintBackground(dc, bar, client);
    RECT inner{1, 1, width - 1, height - 1};
    int r = inner.bottom - inner.top;
    int position =
        g_main.progress ? static_cast<int>(SendMessageW(g_main.progress, PBM_GETPOS, 0, 0)) : 0;
    int fill = BarFillWidth(inner.right - inner.left, position);
    if (position <= 0) {
        if (!PictureActive()) {
            int middle = height / 2;
            RECT track{inner.left, middle - 1, inner.right, middle + 1};
            FillRect(dc, &track, brushFor(mix(skin::background(), skin::border(), 0.85)));
        }
        return;
    }
    RoundBox(dc, inner.left, inner.top, inner.right, inner.bottom, r,
             mix(skin::panel(), skin::border(), 0.55), skin::border());
    if (fill > 0) {
        COLORREF colour =
            g_main.running ? skin::accent() : mix(skin::accent(), skin::panel(), 0.55);
        RoundBox(dc, inner.left, inner.top, inner.left + (fill > r ? fill : r), inner.bottom, r,
                 colour, colour);
    }
}

// Drawn off-screen and copied in one block, so the 300 ms updates never flicker.
void PaintBar(HWND bar) {
    PaintDc dc(bar);
    RECT client;
    GetClientRect(bar, &client);
    if (client.right < 5 || client.bottom < 5) return;
    UniqueMemoryDc memory(CreateCompatibleDC(dc.get()));
    UniqueGdi bitmap(CreateCompatibleBitmap(dc.get(), client.right, client.bottom));
    if (!memory || !bitmap) return;
    SelectedObject selected(memory.get(), bitmap.get());
    DrawBar(bar, memory.get(), client.right, client.bottom);
    BitBlt(dc.get(), 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
}

LRESULT CALLBACK BarProc(HWND bar, UINT message, WPARAM wp, LPARAM lp) {
    switch (message) {
    case WM_PAINT: PaintBar(bar); return 0;
    case WM_ERASEBKGND: return 1;
    default: return DefWindowProcW(bar, message, wp, lp);
    }
}

}  // namespace

int BarFillWidth(int innerWidth, int position) {
    if (position < 0) position = 0;
    if (position > 100) position = 100;
    return innerWidth * position / 100;
}

void RegisterBarClass() {
    static bool registered = false;
    if (registered) return;
    WNDCLASSW wc{};
    wc.lpfnWndProc = BarProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kBarClass;
    registered = RegisterClassW(&wc) != 0;
}

}  // namespace zrw
