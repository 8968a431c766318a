// Owner-drawn buttons and the skinned progress bar.
#ifndef ZERROW_UI_CONTROLS_H
#define ZERROW_UI_CONTROLS_H

#include "base/win.h"
#include "ui/skin.h"

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

inline constexpr wchar_t kBarClass[] = L"ZrwBarSkin";
void RegisterBarClass();
// Pixels of the filled part for a position (clamped to 0..100).
int BarFillWidth(int innerWidth, int position);

}  // namespace zrw

#endif
