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

// Posted to the main window by a pane's listing thread (wParam: 0 left, 1
// right) when it has entries for the pane.
inline constexpr UINT kPaneListedMessage = WM_APP + 2;

// "%04d-%02d-%02d %02d:%02d" in local time; empty when a conversion fails.
std::wstring FormatModified(const FILETIME& lastWrite);
void CreatePaneColumns(HWND list);
void GoToFolder(bool left, const std::wstring& path);
// Starts listing the folder into the list, which shows its entries as they
// arrive; a listing still running for the list is cancelled.
void ListFolder(HWND list, const std::wstring& folder);
// Takes what the pane's listing has brought since the last message.
void OnPaneListed(WPARAM pane);
// True once the list holds every entry of its folder.
bool PaneListed(HWND list);
// Cancels both listings and lets go of the entries, with the window.
void ClosePanes();
// Widens or narrows the last column to the list's client area as it stands,
// beside a vertical scroll bar when the listing has one, so that no
// horizontal one appears.
void FitLastColumn(HWND list);
void CollectSelection(HWND list, const std::wstring& folder, std::vector<std::wstring>& out);
// The paths become the source selection; their rows are selected once the
// left pane has listed their folder.
void SelectSources(const std::vector<std::wstring>& paths);
void OpenItem(HWND list, int row);
int IconIndexFor(const std::wstring& path, bool isFolder, bool bigListing);
void OnDropFiles(HDROP drop);
// Custom draw, double-click, the rows' texts, search and item changes of the two lists.
LRESULT OnPaneNotify(NMHDR* header);
// Installs the header-drawing subclass on a list view and repaints its header.
void InstallHeaderSubclass(HWND list);

// ---- Rows of a virtual list, for the notifications ------------------------------------
// The texts and icon of a row, asked for as the list draws it.
void FillPaneRow(HWND list, LVITEMW& item);
// The row a search by name lands on, or -1.
int FindPaneRow(HWND list, const NMLVFINDITEMW& find);
// A selection change that the user made (not the pane itself while it lists).
void OnPaneSelectionChanged(HWND list);

}  // namespace zrw

#endif
