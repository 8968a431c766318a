// Screen scaling: lengths at a DPI and the interface font that follows it.
#ifndef ZERROW_UI_DPI_H
#define ZERROW_UI_DPI_H

#include "base/win.h"

namespace zrw {

inline constexpr int kBaseDpi = 96;
// A length given at 96 DPI, at dpi.
int Scale(int value, int dpi);
// GetDpiForWindow where Windows has it, else the DPI of the window's device context.
int WindowDpi(HWND window);
// The system's message font at dpi.
UniqueGdi CreateInterfaceFont(int dpi);
// Makes the interface font for dpi and hands back the one it replaces (empty
// when nothing changed), to be released once no control uses it.
UniqueGdi SetInterfaceDpi(int dpi);
// The interface font at the DPI set last (the system's until then).
HFONT InterfaceFont();
int InterfaceDpi();

}  // namespace zrw

#endif
