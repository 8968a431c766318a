// Owner-drawn buttons: their colours by kind and state, and hover tracking.
#include "ui/controls.h"
#include "ui/dpi.h"
#include "ui/ids.h"
#include "ui/skin.h"

#include <commctrl.h>

namespace zrw {

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kDarkText = RGB(0x14, 0x14, 0x18);
constexpr COLORREF kDangerText = RGB(0xD0, 0x4E, 0x38);
constexpr COLORREF kDangerTint = RGB(0xC0, 0x39, 0x2B);

// One hovered button for the whole process, so that moving straight from one
// button to the next leaves only the second lit.
int g_hoveredId = 0;

ButtonColors PrimaryColors(ButtonState s, const SkinRow& row, bool dark) {
    COLORREF a = row.accent;
    if (s.disabled) {
        COLORREF f = mix(row.panel, a, 0.35);
        return {f, f, row.secondaryText};
    }
    COLORREF f = a;
    if (s.pressed) f = mix(a, kBlack, dark ? 0.30 : 0.22);
    else if (s.hover) f = mix(a, kWhite, dark ? 0.14 : 0.18);
    return {f, f, Luminance(f) > 0.6 ? kDarkText : kWhite};
}

ButtonColors QuietColors(ButtonState s, const SkinRow& row) {
    ButtonColors c{mix(row.panel, row.background, 0.5), mix(row.border, row.background, 0.35),
                   s.disabled ? mix(row.secondaryText, row.panel, 0.5) : row.secondaryText};
    if (!s.pressed && s.hover) {
        c.fill = mix(row.panel, row.accent, 0.18);
        c.text = row.text;
        c.outline = mix(row.border, row.accent, 0.35);
    }
    if (s.pressed) c.fill = mix(c.fill, row.text, 0.10);
    return c;
}

ButtonColors DangerColors(ButtonState s, const SkinRow& row) {
    ButtonColors c{row.panel, row.border, s.disabled ? row.secondaryText : kDangerText};
    if (s.pressed) c.fill = mix(row.panel, kDangerTint, 0.24);
    else if (s.hover) c.fill = mix(row.panel, kDangerTint, 0.16);
    return c;
}

ButtonColors NormalColors(ButtonState s, const SkinRow& row, bool dark) {
    ButtonColors c{row.panel, mix(row.border, row.text, dark ? 0.22 : 0.16),
                   s.disabled ? row.secondaryText : row.text};
    if (s.pressed) c.fill = mix(row.panel, row.text, 0.16);
    else if (s.hover) c.fill = mix(row.panel, row.accent, 0.16);
    return c;
}

void InvalidateHovered(HWND parent) {
    if (HWND old = GetDlgItem(parent, g_hoveredId)) InvalidateRect(old, nullptr, FALSE);
}

LRESULT CALLBACK HoverProc(HWND button, UINT message, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    switch (message) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE: InvalidateRect(button, nullptr, FALSE); break;
    case WM_MOUSEMOVE: {
        int id = GetDlgCtrlID(button);
        if (g_hoveredId != id) {
            InvalidateHovered(GetParent(button));
            g_hoveredId = id;
            InvalidateRect(button, nullptr, FALSE);
        }
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, button, 0};
        TrackMouseEvent(&track);
        break;
    }
    case WM_MOUSELEAVE:
        if (g_hoveredId != 0) {
            InvalidateHovered(GetParent(button));
            g_hoveredId = 0;
        }
        break;
    default: break;
    }
    return DefSubclassProc(button, message, wp, lp);
}

}  // namespace

ButtonKind ButtonKindFor(int id) {
    switch (id) {
    case kIdCopyRight:
    case kIdMoveRight: return ButtonKind::Primary;
    case kIdCopyLeft:
    case kIdMoveLeft: return ButtonKind::Quiet;
    case kIdCancel: return ButtonKind::Danger;
    default: return ButtonKind::Normal;
    }
}

double Luminance(COLORREF c) {
    return (0.299 * GetRValue(c) + 0.587 * GetGValue(c) + 0.114 * GetBValue(c)) / 255.0;
}

ButtonColors ColorsForButton(ButtonKind kind, ButtonState state, const SkinRow& row, bool dark) {
    switch (kind) {
    case ButtonKind::Primary: return PrimaryColors(state, row, dark);
    case ButtonKind::Quiet: return QuietColors(state, row);
    case ButtonKind::Danger: return DangerColors(state, row);
    case ButtonKind::Normal: break;
    }
    return NormalColors(state, row, dark);
}

void DrawOwnerButton(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    int id = static_cast<int>(item.CtlID);
    ButtonState state;
    state.disabled = (item.itemState & ODS_DISABLED) != 0;
    state.pressed = (item.itemState & ODS_SELECTED) != 0;
    state.hover = g_hoveredId == id && !state.disabled;
    ButtonColors c = ColorsForButton(ButtonKindFor(id), state, currentRow(), isDark());
    int dpi = InterfaceDpi();
    int corner = Scale(9, dpi);
    int inset = Scale(3, dpi);
    int innerCorner = Scale(7, dpi);
    int margin = Scale(8, dpi);

    paintBackground(dc, item.hwndItem, r);
    SelectedObject brush(dc, brushFor(c.fill));
    SelectedObject pen(dc, penFor(c.outline));
    RoundRect(dc, r.left, r.top, r.right, r.bottom, corner, corner);
    if (GetFocus() == item.hwndItem) {
        SelectedObject hollow(dc, GetStockObject(HOLLOW_BRUSH));
        SelectedObject focusPen(dc, penFor(mix(c.outline, c.text, 0.5)));
        RoundRect(dc, r.left + inset, r.top + inset, r.right - inset, r.bottom - inset, innerCorner,
                  innerCorner);
    }

    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, c.text);
    SelectedObject font(dc, InterfaceFont());
    RECT textRect{r.left + margin, r.top, r.right - margin, r.bottom};
    DrawLabel(dc, ControlText(item.hwndItem), textRect, DT_CENTER);
}

void InstallHoverTracking(HWND button) { SetWindowSubclass(button, HoverProc, 1, 0); }

}  // namespace zrw
