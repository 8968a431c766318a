// Off-screen drawing into a bitmap whose pixels can be read back.
#ifndef ZERROW_UI_CANVAS_H
#define ZERROW_UI_CANVAS_H

#include "base/win.h"

#include <cstdint>

namespace zrw {

// A 32-bit top-down bitmap selected into a memory DC, for drawing off-screen.
class MemoryCanvas {
public:
    MemoryCanvas(int width, int height);
    MemoryCanvas(const MemoryCanvas&) = delete;
    MemoryCanvas& operator=(const MemoryCanvas&) = delete;
    explicit operator bool() const { return bits_ && selection_; }
    HDC dc() const { return dc_.get(); }
    // CLR_INVALID outside the bitmap; call GdiFlush after drawing.
    COLORREF pixel(int x, int y) const;

private:
    int width_, height_;
    UniqueGdi bitmap_;
    UniqueMemoryDc dc_;
    SelectedObject selection_;  // declared last: undone before the DC and the bitmap go
    const uint32_t* bits_ = nullptr;
};

}  // namespace zrw

#endif
