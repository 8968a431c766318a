#include "app/app.h"
#include "shell/shell.h"

namespace zrw {

void RegisterMenu(const std::wstring&) { ModeNotAvailable(L"--register-menu"); }
void UnregisterMenu() { ModeNotAvailable(L"--unregister-menu"); }
// Until the verbs can be registered, a start without arguments must not try to install.
bool IsMenuRegistered() { return true; }
std::wstring InstallDir() { return {}; }
int Install(bool) { return ModeNotAvailable(L"--install"); }
int Uninstall(bool) { return ModeNotAvailable(L"--uninstall"); }
int RunLauncher(HWND) { return ModeNotAvailable(L"--launcher"); }

}  // namespace zrw
