// The owner-drawn main menu with its skin and language submenus.
#include "ui/menu.h"
#include "app/lang.h"
#include "app/settings.h"
#include "shell/shell.h"
#include "ui/dpi.h"
#include "ui/ids.h"
#include "ui/skin.h"

#include <commctrl.h>

#include <algorithm>

namespace zrw {

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kDarkChipInner = RGB(0x20, 0x20, 0x20);
constexpr COLORREF kLightChipInner = RGB(0xF5, 0xF6, 0xF8);

struct MenuRow {
    int id;
    const wchar_t* label;  // zh; the en text comes through Tr
};

// Top to bottom; the skin submenu's items come from the skin table, the
// language submenu's from kLangItems.
const MenuRow kTopItems[] = {
    {kIdSkinMenu, L"皮肤（配色）"},
    {kIdMenuSeparator, L""},
    {kIdHashList, L"复制时写哈希清单 SHA256SUMS"},
    {kIdCheckHashes, L"校验哈希清单…"},
    {kIdMenuSeparator, L""},
    {kIdInstallMenu, L"安装/修复右键菜单"},
    {kIdRemoveMenu, L"卸载右键菜单"},
    {kIdMenuSeparator, L""},
    {kIdLangMenu, L"语言"},
    {kIdAbout, L"关于…"},
    {kIdMenuSeparator, L""},
    {kIdExit, L"退出"},
};

// Shown as they stand in both languages: each names itself in its own language.
const MenuRow kLangItems[] = {
    {kIdLangZh, L"中文"},
    {kIdLangEn, L"English"},
};

const wchar_t* TopLabel(int id) {
    for (const MenuRow& row : kTopItems)
        if (row.id == id) return row.label;
    return L"";
}

bool IsSkinItem(int id) { return id >= kIdSkinFirst && id <= kIdSkinLast; }

MenuItemLook DescribeSkinItem(int index, int currentSkin, uint32_t lang, bool dark) {
    MenuItemLook look;
    look.label = Tr(SkinTableRow(index).name, lang);
    look.hasChip = true;
    look.chip = RowFor(index, dark).accent;
    if (index >= 1 && index <= 7) look.chipInner = SkinTableRow(index).background;
    else look.chipInner = dark ? kDarkChipInner : kLightChipInner;
    look.checked = index == currentSkin;
    return look;
}

void InsertItem(HMENU menu, int id, UniqueMenu submenu, bool checked) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_DATA | MIIM_STATE | (submenu ? MIIM_SUBMENU : 0);
    // An owner-drawn separator is still measured and drawn by us, but never selectable.
    info.fType = MFT_OWNERDRAW | (id == kIdMenuSeparator ? MFT_SEPARATOR : 0);
    info.fState = checked ? MFS_CHECKED : 0;
    info.wID = static_cast<UINT>(id);
    info.dwItemData = static_cast<ULONG_PTR>(id);
    info.hSubMenu = submenu.get();
    // A submenu belongs to the menu only once it is inserted.
    if (InsertMenuItemW(menu, static_cast<UINT>(GetMenuItemCount(menu)), TRUE, &info))
        submenu.release();
}

UniqueMenu BuildSubmenu(int firstId, int lastId) {
    UniqueMenu menu(CreatePopupMenu());
    for (int id = firstId; id <= lastId; ++id)
        InsertItem(menu.get(), id, UniqueMenu(), DescribeMenuItem(id).checked);
    return menu;
}

void SetBackgroundRecursively(HMENU menu, HBRUSH brush) {
    MENUINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = MIM_BACKGROUND;
    info.hbrBack = brush;
    SetMenuInfo(menu, &info);
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
        if (HMENU sub = GetSubMenu(menu, i)) SetBackgroundRecursively(sub, brush);
}

// Lengths here are given at 96 DPI and scaled like the interface font.
void DrawCheckMark(HDC dc, int x, int cy, COLORREF colour, int dpi) {
    auto s = [dpi](int v) { return Scale(v, dpi); };
    UniqueGdi pen(CreatePen(PS_SOLID, s(2), colour));
    if (!pen) return;
    SelectedObject selected(dc, pen.get());
    POINT mark[] = {{x + s(14), cy}, {x + s(18), cy + s(4)}, {x + s(25), cy - s(4)}};
    Polyline(dc, mark, 3);
}

void DrawChip(HDC dc, const RECT& item, COLORREF outer, COLORREF inner, int dpi) {
    RECT chip = MenuChipRect(item, dpi);
    FillRect(dc, &chip, brushFor(outer));
    InflateRect(&chip, -Scale(2, dpi), -Scale(2, dpi));
    FillRect(dc, &chip, brushFor(inner));
}

void DrawSubmenuArrow(HDC dc, int right, int cy, COLORREF colour, int dpi) {
    auto s = [dpi](int v) { return Scale(v, dpi); };
    SelectedObject brush(dc, brushFor(colour));
    SelectedObject pen(dc, GetStockObject(NULL_PEN));
    POINT arrow[] = {{right - s(16), cy - s(4)}, {right - s(16), cy + s(4)}, {right - s(5), cy}};
    Polygon(dc, arrow, 3);
}

void DrawSeparator(HDC dc, const RECT& r, int dpi) {
    FillRect(dc, &r, brushFor(skin::panel()));
    int cy = (r.top + r.bottom) / 2;
    SelectedObject pen(dc, penFor(skin::border()));
    MoveToEx(dc, r.left + Scale(12, dpi), cy, nullptr);
    LineTo(dc, r.right - Scale(12, dpi), cy);
}

// The menu's popup windows: a one-pixel frame in the border colour over
// whatever the system drew as the popup's edge.
void DrawPopupBorder(HWND popup) {
    WindowDc dc(popup, WindowDc::Area::Whole);
    if (!dc) return;
    RECT r;
    GetWindowRect(popup, &r);
    OffsetRect(&r, -r.left, -r.top);
    FrameRect(dc.get(), &r, brushFor(skin::border()));
}

LRESULT CALLBACK PopupBorderProc(HWND popup, UINT message, WPARAM wp, LPARAM lp, UINT_PTR id,
                                 DWORD_PTR) {
    if (message == WM_NCDESTROY) RemoveWindowSubclass(popup, PopupBorderProc, id);
    LRESULT result = DefSubclassProc(popup, message, wp, lp);
    if (message == WM_PAINT || message == WM_NCPAINT || message == WM_NCACTIVATE)
        DrawPopupBorder(popup);
    return result;
}

LRESULT CALLBACK MenuCreationHook(int code, WPARAM wp, LPARAM lp) {
    if (code == HCBT_CREATEWND) {
        auto window = reinterpret_cast<HWND>(wp);
        wchar_t cls[16] = {};
        GetClassNameW(window, cls, 16);
        if (lstrcmpW(cls, kPopupMenuClass) == 0) SetWindowSubclass(window, PopupBorderProc, 1, 0);
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

SIZE LabelSize(const std::wstring& label) {
    SIZE size{};
    WindowDc screen(nullptr);
    if (!screen) return size;
    SelectedObject font(screen.get(), InterfaceFont());
    GetTextExtentPoint32W(screen.get(), label.c_str(), static_cast<int>(label.size()), &size);
    return size;
}

}  // namespace

MenuItemLook DescribeMenuItem(int id, int currentSkin, uint32_t lang, bool dark) {
    if (IsSkinItem(id)) return DescribeSkinItem(id - kIdSkinFirst, currentSkin, lang, dark);
    MenuItemLook look;
    for (const MenuRow& row : kLangItems) {
        if (row.id == id) {
            look.label = row.label;
            look.checked = (id == kIdLangEn) == (lang == kLangEn);
            return look;
        }
    }
    look.separator = id == kIdMenuSeparator;
    look.submenu = id == kIdSkinMenu || id == kIdLangMenu;
    look.checked = id == kIdHashList && g_settings.hash;
    if (!look.separator) look.label = Tr(TopLabel(id), lang);
    return look;
}

MenuItemLook DescribeMenuItem(int id) {
    return DescribeMenuItem(id, g_settings.skin, UiLang, isDark());
}

SIZE MenuItemSize(const MenuItemLook& look, SIZE label, int dpi) {
    if (look.separator) return SIZE{Scale(80, dpi), Scale(9, dpi)};
    // A row as wide as its own item shows the label whole.
    RECT room = MenuLabelRect(RECT{}, look, dpi);
    return SIZE{label.cx + room.left - room.right,
                std::max<LONG>(Scale(26, dpi), label.cy + Scale(8, dpi))};
}

UniqueMenu BuildMainMenu() {
    UniqueMenu menu(CreatePopupMenu());
    if (!menu) return menu;
    for (const MenuRow& row : kTopItems) {
        UniqueMenu submenu;
        if (row.id == kIdSkinMenu) submenu = BuildSubmenu(kIdSkinFirst, kIdSkinLast);
        if (row.id == kIdLangMenu) submenu = BuildSubmenu(kIdLangZh, kIdLangEn);
        InsertItem(menu.get(), row.id, std::move(submenu), false);
    }
    SetBackgroundRecursively(menu.get(), brushFor(skin::panel()));
    return menu;
}

RECT MenuLabelRect(const RECT& item, const MenuItemLook& look, int dpi) {
    // Without a chip the label takes the chip's place, left of the check
    // mark's column; a submenu's arrow keeps 18 pixels (scaled) on the right.
    int left = item.left + Scale(look.hasChip ? 52 : 30, dpi);
    int right = item.right - Scale(12, dpi) - (look.submenu ? Scale(18, dpi) : 0);
    return RECT{left, item.top, right, item.bottom};
}

RECT MenuChipRect(const RECT& item, int dpi) {
    int cy = (item.top + item.bottom) / 2;
    return RECT{item.left + Scale(30, dpi), cy - Scale(7, dpi), item.left + Scale(44, dpi),
                cy + Scale(7, dpi)};
}

void PaintMenuItem(HDC dc, const RECT& r, const MenuItemLook& look, bool hot, bool disabled) {
    int dpi = InterfaceDpi();
    if (look.separator) {
        DrawSeparator(dc, r, dpi);
        return;
    }
    int x = r.left;
    int cy = (r.top + r.bottom) / 2;
    FillRect(dc, &r, brushFor(hot ? skin::accent() : skin::panel()));
    COLORREF text = hot         ? kWhite
                    : !disabled ? skin::text()
                                : mix(skin::secondaryText(), skin::panel(), 0.5);
    if (look.checked) DrawCheckMark(dc, x, cy, text, dpi);
    if (look.hasChip) DrawChip(dc, r, look.chip, look.chipInner, dpi);
    RECT label = MenuLabelRect(r, look, dpi);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, text);
    SelectedObject font(dc, InterfaceFont());
    DrawTextW(dc, look.label.c_str(), -1, &label,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (look.submenu) DrawSubmenuArrow(dc, r.right, cy, text, dpi);
}

void MeasureMenuItem(MEASUREITEMSTRUCT& item) {
    MenuItemLook look = DescribeMenuItem(static_cast<int>(item.itemData));
    SIZE size = MenuItemSize(look, look.separator ? SIZE{} : LabelSize(look.label), InterfaceDpi());
    item.itemWidth = static_cast<UINT>(size.cx);
    item.itemHeight = static_cast<UINT>(size.cy);
}

void DrawMenuItem(const DRAWITEMSTRUCT& item) {
    bool disabled = (item.itemState & (ODS_DISABLED | ODS_GRAYED)) != 0;
    bool hot = (item.itemState & ODS_SELECTED) != 0 && !disabled;
    PaintMenuItem(item.hDC, item.rcItem, DescribeMenuItem(static_cast<int>(item.itemData)), hot,
                  disabled);
}

void showMainMenu(HWND owner, POINT at) {
    UniqueMenu menu = BuildMainMenu();
    if (!menu) return;
    UniqueHook hook(SetWindowsHookExW(WH_CBT, MenuCreationHook, nullptr, GetCurrentThreadId()));
    SetForegroundWindow(owner);
    TrackPopupMenu(menu.get(), TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr);
    hook.reset();
    // Without it a menu opened from the tray would not close when focus leaves it.
    PostMessageW(owner, WM_NULL, 0, 0);
}

void ShowMainMenuAtCursor(HWND owner) {
    POINT at{};
    GetCursorPos(&at);
    showMainMenu(owner, at);
}

void RemoveContextMenu(HWND owner) {
    UnregisterMenu();
    MessageBoxW(owner,
                Tr(L"右键菜单已卸载。软件本体、快捷方式都还在，随时能从 ⋮ 里重新装上。").c_str(),
                g_productName.c_str(), MB_OK | MB_ICONINFORMATION);
}

}  // namespace zrw
