#include "app/app.h"
#include "ui/ui.h"

namespace zrw {

MainState g_main;

bool RunMainWindow(const WindowStart&) {
    ModeNotAvailable(L"main window");
    return false;
}
void ComputeDark() { g_dark = false; }
int DumpPalette(const std::wstring&) { return ModeNotAvailable(L"--dump-palette"); }
int DumpMenu(const std::wstring&) { return ModeNotAvailable(L"--dump-menu"); }
int DumpTray(const std::wstring&) { return ModeNotAvailable(L"--dump-tray"); }

}  // namespace zrw
