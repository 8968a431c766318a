// --dump-menu: the menu as drawn, read back from its pixels.
#include "app/lang.h"
#include "app/logdir.h"
#include "ui/canvas.h"
#include "ui/dpi.h"
#include "ui/menu.h"
#include "ui/skin.h"

#include <cstdio>
#include <cstdlib>

namespace zrw {

namespace {

struct ItemSample {
    COLORREF bg = 0, row = 0, fg = 0, chip = 0, chipBg = 0;
    long chipPixels = 0;
};

int Distance(COLORREF a, COLORREF b) {
    return std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) +
           std::abs(GetBValue(a) - GetBValue(b));
}

// The label's pixel farthest from the row's fill: the text colour wherever a
// glyph covers a whole pixel, whatever the smoothing does at its edges.
COLORREF TextPixel(const MemoryCanvas& canvas, const RECT& label, COLORREF fill) {
    COLORREF best = fill;
    int bestDistance = 0;
    for (int y = label.top; y < label.bottom; ++y) {
        for (int x = label.left; x < label.right; ++x) {
            COLORREF c = canvas.pixel(x, y);
            int d = Distance(c, fill);
            if (d > bestDistance) {
                best = c;
                bestDistance = d;
            }
        }
    }
    return best;
}

// Read where the items are drawn at the interface font's DPI: x 6, 30 and 37
// and the chip's square at 96 DPI, scaled.
ItemSample SampleItem(const MemoryCanvas& canvas, const MenuItemLook& look, SIZE size) {
    ItemSample s;
    int dpi = InterfaceDpi();
    RECT item{0, 0, size.cx, size.cy};
    int cy = size.cy / 2;
    s.bg = canvas.pixel(0, 0);
    s.row = look.separator ? canvas.pixel(size.cx / 2, cy) : canvas.pixel(Scale(6, dpi), cy);
    if (look.separator) return s;
    s.fg = TextPixel(canvas, MenuLabelRect(item, look, dpi), s.row);
    RECT chip = MenuChipRect(item, dpi);
    s.chip = canvas.pixel(chip.left, cy);
    s.chipBg = canvas.pixel(Scale(37, dpi), cy);
    if (!look.hasChip) return s;
    for (int y = chip.top; y < chip.bottom; ++y)
        for (int x = chip.left; x < chip.right; ++x)
            if (canvas.pixel(x, y) == look.chip) ++s.chipPixels;
    return s;
}

std::wstring ItemLines(int id, bool hot, bool top, SIZE size, const MenuItemLook& look,
                       const ItemSample& s) {
    auto rgb = [](COLORREF c) {
        return std::to_wstring(GetRValue(c)) + L"," + std::to_wstring(GetGValue(c)) + L"," +
               std::to_wstring(GetBValue(c));
    };
    wchar_t head[64];
    swprintf(head, 64, L"menu id=%d hot=%d w=%d h=%d", id, hot ? 1 : 0, static_cast<int>(size.cx),
             static_cast<int>(size.cy));
    std::wstring line = std::wstring(head) + L" bg=" + rgb(s.bg) + L" row=" + rgb(s.row) + L" fg=" +
                        rgb(s.fg) + L" chip=" + rgb(s.chip) + L" chipbg=" + rgb(s.chipBg) +
                        L" chip_px=" + std::to_wstring(s.chipPixels) + L" cur=" +
                        (look.checked ? L"1" : L"0") + L"\n";
    if (top) {
        wchar_t topHead[48];
        swprintf(topHead, 48, L"  top id=%d hot=%d ", id, hot ? 1 : 0);
        line += topHead + look.label + L"\n";
    }
    return line;
}

SIZE MeasuredSize(int id) {
    MEASUREITEMSTRUCT measure{};
    measure.CtlType = ODT_MENU;
    measure.itemID = static_cast<UINT>(id);
    measure.itemData = static_cast<ULONG_PTR>(id);
    MeasureMenuItem(measure);
    return SIZE{static_cast<LONG>(measure.itemWidth), static_cast<LONG>(measure.itemHeight)};
}

// Measured and drawn through the same entry points the menu's owner window
// uses; drawn as wide as the popup's widest item, as the menu lays out its rows.
bool DumpItem(int id, bool top, int rowWidth, std::wstring& out) {
    SIZE measured = MeasuredSize(id);
    SIZE drawn{rowWidth, measured.cy};
    MemoryCanvas canvas(drawn.cx, drawn.cy);
    if (!canvas) return false;
    MenuItemLook look = DescribeMenuItem(id);
    for (bool hot : {false, true}) {
        DRAWITEMSTRUCT draw{};
        draw.CtlType = ODT_MENU;
        draw.itemID = static_cast<UINT>(id);
        draw.itemAction = ODA_DRAWENTIRE;
        draw.itemState = hot ? ODS_SELECTED : 0;
        draw.hDC = canvas.dc();
        draw.rcItem = RECT{0, 0, drawn.cx, drawn.cy};
        draw.itemData = static_cast<ULONG_PTR>(id);
        DrawMenuItem(draw);
        GdiFlush();
        out += ItemLines(id, hot, top, measured, look, SampleItem(canvas, look, drawn));
    }
    return true;
}

int ItemId(HMENU menu, int position, HMENU* submenu) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_DATA | MIIM_SUBMENU;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info)) return -1;
    *submenu = info.hSubMenu;
    return static_cast<int>(info.dwItemData);
}

bool DumpItems(HMENU menu, bool top, std::wstring& out) {
    int count = GetMenuItemCount(menu);
    int rowWidth = 0;
    HMENU submenu = nullptr;
    for (int i = 0; i < count; ++i) {
        int width = MeasuredSize(ItemId(menu, i, &submenu)).cx;
        if (width > rowWidth) rowWidth = width;
    }
    for (int i = 0; i < count; ++i) {
        int id = ItemId(menu, i, &submenu);
        if (id < 0 || !DumpItem(id, top, rowWidth, out)) return false;
        if (submenu && !DumpItems(submenu, false, out)) return false;
    }
    return true;
}

}  // namespace

MemoryCanvas::MemoryCanvas(int width, int height) : width_(width), height_(height) {
    if (width <= 0 || height <= 0) return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down: row y starts at y * width
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    dc_.reset(CreateCompatibleDC(nullptr));
    if (!bitmap_ || !dc_) return;
    bits_ = static_cast<const uint32_t*>(bits);
    selection_ = SelectedObject(dc_.get(), bitmap_.get());
}

COLORREF MemoryCanvas::pixel(int x, int y) const {
    if (!bits_ || x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
    size_t at = static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x);
    uint32_t v = bits_[at];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

int DumpMenu(const std::wstring& outFile) {
    LoadAndApplySettings();
    ApplyLanguage();
    UniqueMenu menu = BuildMainMenu();
    if (!menu) return 1;
    std::wstring text;
    if (!DumpItems(menu.get(), true, text)) return 1;
    return WriteDump(outFile, L"menu.txt", text);
}

}  // namespace zrw
