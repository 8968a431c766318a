#include "app/app.h"
#include "ui/ui.h"

namespace zrw {

int DumpMenu(const std::wstring&) { return ModeNotAvailable(L"--dump-menu"); }
int DumpTray(const std::wstring&) { return ModeNotAvailable(L"--dump-tray"); }

}  // namespace zrw
