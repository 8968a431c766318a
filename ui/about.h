// The About window and the log folder it opens.
#ifndef ZERROW_UI_ABOUT_H
#define ZERROW_UI_ABOUT_H

#include "base/win.h"
#include "ui/layout.h"

namespace zrw {

// The title, note, version, log-folder button, uninstall button, status line
// and close button.
inline constexpr int kAboutControlCount = 7;
struct AboutLayout {
    SIZE client{};
    Place controls[kAboutControlCount];
};
// The window laid out at a DPI: 620 x 384 at 96, each button widened where its
// label, measured labelWidths[i] pixels wide in the font at that DPI, would be
// cut, and the window with it.
AboutLayout ComputeAboutLayout(int dpi, const int (&labelWidths)[kAboutControlCount]);

void openAboutWindow(HWND mainWindow);
HWND AboutWindow();
// Lays the open About window out anew for the interface font's DPI and its
// texts, keeping its place.
void LayoutAboutWindow();
// Keyboard navigation and Escape for the About window, from the message loop.
bool AboutDialogMessage(MSG& msg);
void OpenLogFolder(HWND owner);

}  // namespace zrw

#endif
