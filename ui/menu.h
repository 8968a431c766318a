// The owner-drawn main menu.
#ifndef ZERROW_UI_MENU_H
#define ZERROW_UI_MENU_H

#include "base/win.h"

#include <cstdint>
#include <string>

namespace zrw {

inline constexpr wchar_t kPopupMenuClass[] = L"#32768";

// What one menu item shows, worked out afresh for every measure and draw.
struct MenuItemLook {
    std::wstring label;  // in the interface language
    bool hasChip = false;
    COLORREF chip = 0, chipInner = 0;
    bool checked = false, submenu = false, separator = false;
};
MenuItemLook DescribeMenuItem(int id, int currentSkin, uint32_t lang, bool dark);
MenuItemLook DescribeMenuItem(int id);  // for the current skin and language
// An item's size at a DPI for its label's measured size: its marks, chip and
// paddings scale with the DPI, and the row is never lower than the label.
SIZE MenuItemSize(const MenuItemLook& look, SIZE label, int dpi);
// The whole menu with its submenus.
UniqueMenu BuildMainMenu();
// Where the label goes within an item's rectangle at a DPI.
RECT MenuLabelRect(const RECT& item, const MenuItemLook& look, int dpi);
// The chip's square in an item's rectangle at a DPI.
RECT MenuChipRect(const RECT& item, int dpi);
// Drawn at the DPI of the interface font.
void PaintMenuItem(HDC dc, const RECT& r, const MenuItemLook& look, bool hot, bool disabled);
void MeasureMenuItem(MEASUREITEMSTRUCT& item);
void DrawMenuItem(const DRAWITEMSTRUCT& item);
void showMainMenu(HWND owner, POINT at);
void ShowMainMenuAtCursor(HWND owner);
// Removes the context-menu verbs and says so in a box owned by owner.
void RemoveContextMenu(HWND owner);
// --dump-menu: the menu's items as the user sees them.
int DumpMenu(const std::wstring& outFile);

}  // namespace zrw

#endif
