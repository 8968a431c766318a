// The notification-area icon.
#ifndef ZERROW_UI_TRAY_H
#define ZERROW_UI_TRAY_H

#include "base/optional_api.h"
#include "base/win.h"

#include <shellapi.h>

#include <string>

namespace zrw {

inline constexpr UINT kTrayMessage = WM_APP + 1;

struct IconTraits {  // LoadIconMetric and LoadImage without LR_SHARED
    using Handle = HICON;
    static Handle invalid() { return nullptr; }
    static void close(Handle h) { DestroyIcon(h); }
};
using UniqueIcon = Unique<IconTraits>;
// An icon at the system's small-icon size: through loadMetric (LoadIconMetric)
// when there is one, else LoadImage at SM_CXSMICON x SM_CYSMICON. module null:
// a system icon.
UniqueIcon LoadSmallIcon(HINSTANCE module, const wchar_t* name, LoadIconMetricFn loadMetric);
// The program's icon at that size, or the system's application icon.
UniqueIcon ProgramSmallIcon();

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

// The call that adds, changes and deletes the icon. Replaceable, because
// what Wine's tray shows of a balloon cannot be read back.
using TrayNotifier = BOOL(WINAPI*)(DWORD message, PNOTIFYICONDATAW data);
extern TrayNotifier g_notifyIcon;
enum class TrayNote { Info, Warning, Error };
// A balloon over the icon, title and text cut to what their fields hold;
// false when there is no icon or the tray refused it.
bool ShowTrayNote(const std::wstring& title, const std::wstring& text, TrayNote kind);
// --dump-tray: what the icon would show.
int DumpTray(const std::wstring& outFile);

}  // namespace zrw

#endif
