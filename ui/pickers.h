// The system pickers for files and folders.
#ifndef ZERROW_UI_PICKERS_H
#define ZERROW_UI_PICKERS_H

#include "base/win.h"

#include <string>
#include <vector>

namespace zrw {

// Multi-select file picker; false when cancelled or nothing was chosen.
bool PickFiles(HWND owner, std::vector<std::wstring>& paths);
// One existing file, with the given title; false when cancelled.
bool PickFile(HWND owner, const std::wstring& title, std::wstring& file);
// Folder picker with the given title; false when cancelled.
bool PickFolder(HWND owner, const std::wstring& title, std::wstring& folder);

}  // namespace zrw

#endif
