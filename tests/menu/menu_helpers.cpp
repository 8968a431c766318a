// Shared steps of the menu tests: opening the menu and reading its items.
#include "tests/menu/menu_helpers.h"

#include "tests/support/dialogs.h"
#include "ui/canvas.h"
#include "ui/menu.h"

#include <cstdio>
#include <cstdlib>

namespace zrw::test {

std::string Hex(COLORREF c) {
    char text[16];
    snprintf(text, sizeof(text), "%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

int CountNear(const MemoryCanvas& canvas, const RECT& area, COLORREF colour, int tolerance) {
    auto within = [&](COLORREF c) {
        return std::abs(GetRValue(c) - GetRValue(colour)) <= tolerance &&
               std::abs(GetGValue(c) - GetGValue(colour)) <= tolerance &&
               std::abs(GetBValue(c) - GetBValue(colour)) <= tolerance;
    };
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (within(canvas.pixel(x, y))) ++count;
    return count;
}

MenuItem ReadItem(HMENU menu, int position) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_DATA | MIIM_SUBMENU;
    MenuItem item;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info)) return item;
    item.id = static_cast<int>(info.wID);
    item.type = info.fType;
    item.state = info.fState;
    item.data = static_cast<int>(info.dwItemData);
    item.submenu = info.hSubMenu;
    return item;
}

HBRUSH MenuBackground(HMENU menu) {
    MENUINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = MIM_BACKGROUND;
    return GetMenuInfo(menu, &info) ? info.hbrBack : nullptr;
}

std::vector<HWND> TopWindowsOfClass(const wchar_t* className) {
    return TopWindows(
        [&](HWND w) { return lstrcmpiW(ClassOf(w).c_str(), className) == 0 && OfThisProcess(w); });
}

std::vector<HWND> PopupMenus() {
    std::vector<HWND> visible;
    for (HWND w : TopWindowsOfClass(kPopupMenuClass))
        if (IsWindowVisible(w)) visible.push_back(w);
    return visible;
}

}  // namespace zrw::test
