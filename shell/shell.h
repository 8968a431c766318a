// Context-menu verbs, the packaged Explorer command, install and uninstall.
#ifndef ZERROW_SHELL_SHELL_H
#define ZERROW_SHELL_SHELL_H

#include "app/win.h"

#include <string>

namespace zrw {

void RegisterMenu(const std::wstring& exe);
void UnregisterMenu();
bool IsMenuRegistered();

std::wstring InstallDir();
int Install(bool quiet);
int Uninstall(bool quiet);
int RunLauncher(HWND owner);

}  // namespace zrw

#endif
