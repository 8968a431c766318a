// The main window, its panes and transfers, the pickers, and the appearance:
// skins, menu, tray icon, About window, owner-drawn controls.
#ifndef ZERROW_UI_UI_H
#define ZERROW_UI_UI_H

#include "app/win.h"

#include <string>
#include <vector>

namespace zrw {

// ---- Pickers -------------------------------------------------------------------------------

// Multi-select file picker; false when cancelled or nothing was chosen.
bool PickFiles(HWND owner, std::vector<std::wstring>& paths);
// Folder picker with the given title; false when cancelled.
bool PickFolder(HWND owner, const std::wstring& title, std::wstring& folder);

// ---- Main window ---------------------------------------------------------------------------

struct WindowStart {
    std::vector<std::wstring> sources;
    std::wstring destination;
    std::wstring leftFolder;
    std::wstring rightFolder;
};
// Registers "ZerrowMain", creates the window and runs its message loop; false
// when the window could not be created.
bool RunMainWindow(const WindowStart& start);

// Shared state of the main window, used on the UI thread only.
struct MainState {
    HWND window = nullptr;
    std::vector<std::wstring> sourceSelection;
    std::wstring destination;
    std::wstring leftFolder;
    std::wstring rightFolder;
    bool running = false;
    bool cancelRequested = false;
    bool closeAfterJob = false;
    bool paused = false;
    HWND pauseButton = nullptr;
};
extern MainState g_main;

// ---- Appearance ----------------------------------------------------------------------------

// Derives the dark flag from the skin, its palette and the system setting.
void ComputeDark();
int DumpPalette(const std::wstring& outFile);
int DumpMenu(const std::wstring& outFile);
int DumpTray(const std::wstring& outFile);

}  // namespace zrw

#endif
