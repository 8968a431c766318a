// The notification-area icon.
#ifndef ZERROW_UI_TRAY_H
#define ZERROW_UI_TRAY_H

#include "base/win.h"

#include <string>

namespace zrw {

inline constexpr UINT kTrayMessage = WM_APP + 1;

// The product name and the fixed Chinese hint, cut to what the tip field holds.
std::wstring TrayTip(const std::wstring& productName);
bool addTrayIcon(HWND window);
// Deletes the icon when it was added; clears the flag.
void removeTrayIcon();
bool TrayIconAdded();
UINT RegisterTaskbarCreated();
bool IsTaskbarCreated(UINT message);
void OnTaskbarCreated(HWND window);
void OnTrayCallback(HWND window, LPARAM lp);
// --dump-tray: what the icon would show.
int DumpTray(const std::wstring& outFile);

}  // namespace zrw

#endif
