// Control texts, read back and drawn by the program itself: the menu sign "⋮"
// is painted as three dots, because a font that lacks it shows an empty box.
#include "ui/controls.h"
#include "ui/skin.h"

#include <algorithm>
#include <vector>

namespace zrw {

namespace {

constexpr wchar_t kMenuDots = L'\u22EE';
constexpr UINT kOneLine = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;

int TextWidth(HDC dc, const std::wstring& text) {
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

void FillDot(HDC dc, int x, int y, int size, COLORREF colour) {
    RECT dot{x, y, x + size, y + size};
    if (size < 4) {
        FillRect(dc, &dot, brushFor(colour));
        return;
    }
    SelectedObject brush(dc, brushFor(colour));
    SelectedObject pen(dc, GetStockObject(NULL_PEN));
    // Without a pen the ellipse leaves out its right and bottom edge.
    Ellipse(dc, dot.left, dot.top, dot.right + 1, dot.bottom + 1);
}

// Centred on middle, in a cell of dots.width from left.
void DrawMenuDots(HDC dc, int left, int middle, const MenuDots& dots, COLORREF colour) {
    int top = middle - dots.dot * 5 / 2;
    for (int i = 0; i < 3; ++i)
        FillDot(dc, left + dots.dot, top + 2 * i * dots.dot, dots.dot, colour);
}

}  // namespace

MenuDots MenuDotsFor(const TEXTMETRICW& font) {
    // As tall as the font's ascent, each dot and each gap a fifth of it.
    MenuDots dots;
    dots.dot = std::max(2, (static_cast<int>(font.tmAscent) + 2) / 5);
    dots.width = 3 * dots.dot;
    return dots;
}

void DrawLabel(HDC dc, const std::wstring& text, const RECT& r, UINT align) {
    if (text.find(kMenuDots) == std::wstring::npos) {
        RECT box = r;
        DrawTextW(dc, text.c_str(), -1, &box, align | kOneLine | DT_END_ELLIPSIS);
        return;
    }
    std::vector<std::wstring> pieces;  // the text between the dots
    for (size_t from = 0;;) {
        size_t at = text.find(kMenuDots, from);
        pieces.push_back(text.substr(from, at - from));
        if (at == std::wstring::npos) break;
        from = at + 1;
    }
    TEXTMETRICW font{};
    GetTextMetricsW(dc, &font);
    MenuDots dots = MenuDotsFor(font);
    int width = static_cast<int>(pieces.size() - 1) * dots.width;
    for (const std::wstring& piece : pieces) width += TextWidth(dc, piece);
    int room = r.right - r.left;
    int x = r.left;
    if (align & DT_RIGHT) x = r.right - width;
    else if (align & DT_CENTER) x = r.left + (room - width) / 2;
    x = std::max(x, static_cast<int>(r.left));
    // Where the font's capitals stand on the line DrawText centres.
    int baseline = r.top + (r.bottom - r.top - font.tmHeight) / 2 + font.tmAscent;
    int middle = baseline - (font.tmAscent - font.tmInternalLeading) / 2;
    COLORREF colour = GetTextColor(dc);
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) {
            if (x + dots.width > r.right) break;
            DrawMenuDots(dc, x, middle, dots, colour);
            x += dots.width;
        }
        if (pieces[i].empty()) continue;
        RECT box{x, r.top, r.right, r.bottom};
        DrawTextW(dc, pieces[i].c_str(), -1, &box, DT_LEFT | kOneLine | DT_END_ELLIPSIS);
        x += TextWidth(dc, pieces[i]);
        if (x >= r.right) break;
    }
}

std::wstring ControlText(HWND control) {
    int length = GetWindowTextLengthW(control);
    if (length <= 0) return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(control, text.data(), length + 1)));
    return text;
}

}  // namespace zrw
