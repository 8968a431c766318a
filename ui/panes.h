// The two folder panes: listing, sorting, selection, drops and drawing.
#ifndef ZERROW_UI_PANES_H
#define ZERROW_UI_PANES_H

#include "base/win.h"

#include <shellapi.h>

#include <commctrl.h>
#include <cstdint>
#include <string>
#include <vector>

namespace zrw {

struct PaneEntry {
    std::wstring name;
    bool isFolder = false;
    uint64_t size = 0;
    FILETIME lastWrite{};
};
// Folders first, then by name, case-insensitive.
void SortPaneEntries(std::vector<PaneEntry>& entries);
// "%04d-%02d-%02d %02d:%02d" in local time; empty when a conversion fails.
std::wstring FormatModified(const FILETIME& lastWrite);
void CreatePaneColumns(HWND list);
void GoToFolder(bool left, const std::wstring& path);
void ListFolder(HWND list, const std::wstring& folder);
// Widens or narrows the last column to the list's client area as it stands,
// beside a vertical scroll bar when the listing has one, so that no
// horizontal one appears.
void FitLastColumn(HWND list);
void CollectSelection(HWND list, const std::wstring& folder, std::vector<std::wstring>& out);
void SelectSources(const std::vector<std::wstring>& paths);
void OpenItem(HWND list, int row);
int IconIndexFor(const std::wstring& path, bool isFolder, bool bigListing);
void OnDropFiles(HDROP drop);
// Custom draw, double-click and item changes of the two lists.
LRESULT OnPaneNotify(NMHDR* header);
// Installs the header-drawing subclass on a list view and repaints its header.
void InstallHeaderSubclass(HWND list);

}  // namespace zrw

#endif
