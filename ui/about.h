// The About window and the log folder it opens.
#ifndef ZERROW_UI_ABOUT_H
#define ZERROW_UI_ABOUT_H

#include "base/win.h"

namespace zrw {

void openAboutWindow(HWND mainWindow);
HWND AboutWindow();
// Keyboard navigation and Escape for the About window, from the message loop.
bool AboutDialogMessage(MSG& msg);
void OpenLogFolder(HWND owner);

}  // namespace zrw

#endif
