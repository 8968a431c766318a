// Skins: the palette table, the current colours, brushes and pens, the
// picture background and the window frame.
#ifndef ZERROW_UI_SKIN_H
#define ZERROW_UI_SKIN_H

#include "base/win.h"

#include <array>
#include <cstdint>
#include <string>

namespace zrw {

struct SkinRow {
    const wchar_t* name;  // zh; the en text comes through Tr
    COLORREF background, panel, text, secondaryText, border, accent;
    int32_t dark;  // 1 dark, 0 light, -1 follow the system
};
inline constexpr int kSkinCount = 9;
inline constexpr int kPictureSkin = 8;
const SkinRow& SkinTableRow(int index);
// The row whose colours a skin index paints with.
const SkinRow& RowFor(int index, bool dark);
bool DecideDark(int index, bool pictureActive, DWORD appsUseLightTheme);
bool PictureActive();

namespace skin {
COLORREF background();
COLORREF panel();
COLORREF text();
COLORREF secondaryText();
COLORREF border();
COLORREF accent();
}  // namespace skin
COLORREF accentFor(int index);
const SkinRow& currentRow();
bool isDark();
COLORREF mix(COLORREF a, COLORREF b, double t);
// Solid brushes and one-pixel pens, owned here and valid until the skin
// changes; null only when Windows cannot make one.
HBRUSH brushFor(COLORREF colour);
HPEN penFor(COLORREF colour);
// Releases every brush and pen handed out so far.
void ReleaseSkinObjects();

// Where a picture of the given size lands when fitted and centred in a client area.
RECT FitPicture(int imageWidth, int imageHeight, int clientWidth, int clientHeight);
// Builds (or keeps) the darkened picture for the main window's client size.
void RefreshPictureBackground();
bool HasPictureBackground();
void DiscardPictureBackground();
void paintBackground(HDC dc, HWND child, const RECT& rect);
// One desktop-window-manager attribute of a window frame, as a 4-byte value.
struct FrameAttribute {
    DWORD id, value;
};
// Dark mode, no backdrop, round corners, then caption and caption text: the
// skin's colours when dark, the system's own (both of them) when light.
std::array<FrameAttribute, 6> FrameAttributesFor(bool dark, COLORREF caption, COLORREF captionText);
void applyLook(HWND window, bool askForPicture);
bool pickSkinPicture(std::wstring& path);
void SelectSkin(int command);
void PaintMainWindow(HWND window);
// Controls that applyLook invalidates, in registration order (at most 16).
void RegisterRepaint(HWND control);
void ClearRepaintList();

// Derives the dark flag from the skin, its palette and the system setting.
void ComputeDark();
// The stored settings, the skin switches of the command line over them, and
// the dark flag that follows.
void LoadAndApplySettings();
int DumpPalette(const std::wstring& outFile);

}  // namespace zrw

#endif
