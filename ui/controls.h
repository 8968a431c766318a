// Owner-drawn buttons and the skinned progress bar.
#ifndef ZERROW_UI_CONTROLS_H
#define ZERROW_UI_CONTROLS_H

#include "base/win.h"
#include "ui/skin.h"

#include <string>

namespace zrw {

enum class ButtonKind { Normal, Primary, Quiet, Danger };
ButtonKind ButtonKindFor(int id);
struct ButtonColors {
    COLORREF fill, outline, text;
};
struct ButtonState {
    bool disabled = false, pressed = false, hover = false;
};
ButtonColors ColorsForButton(ButtonKind kind, ButtonState state, const SkinRow& row, bool dark);
double Luminance(COLORREF colour);
void DrawOwnerButton(const DRAWITEMSTRUCT& item);
void InstallHoverTracking(HWND button);
// The failure line, drawn by the window so that its "⋮" shows as dots.
void DrawOwnerStatic(const DRAWITEMSTRUCT& item);

// The three dots painted for "⋮" in a font: each dot's side, and the width of
// the cell they stand in; they grow with the font, and so with the DPI.
struct MenuDots {
    int dot = 0, width = 0;
};
MenuDots MenuDotsFor(const TEXTMETRICW& font);
// One line of text in the DC's font and text colour, aligned as align says
// (DT_LEFT, DT_CENTER or DT_RIGHT), centred vertically in r and cut with an
// ellipsis where it does not fit; each "⋮" in it painted as three dots.
void DrawLabel(HDC dc, const std::wstring& text, const RECT& r, UINT align);
// A control's window text.
std::wstring ControlText(HWND control);

inline constexpr wchar_t kBarClass[] = L"ZrwBarSkin";
void RegisterBarClass();
// Pixels of the filled part for a position (clamped to 0..100).
int BarFillWidth(int innerWidth, int position);

}  // namespace zrw

#endif
