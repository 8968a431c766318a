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

namespace zrw {

bool PickFiles(HWND, std::vector<std::wstring>&) { return false; }
bool PickFolder(HWND, const std::wstring&, std::wstring&) { return false; }

}  // namespace zrw
