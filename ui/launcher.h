// The choices of --launcher: register the context menu, copy, move, or
// remove the menu; a task dialog, or a message box where there is none.
#ifndef ZERROW_UI_LAUNCHER_H
#define ZERROW_UI_LAUNCHER_H

#include "base/win.h"

namespace zrw {

// The exit code of the launcher mode.
int RunLauncher(HWND owner);

}  // namespace zrw

#endif
