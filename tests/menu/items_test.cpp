// The main menu's items: what each one shows, its size, how it is drawn into
// a bitmap, and the menu as built.
#include "app/lang.h"
#include "app/settings.h"
#include "tests/menu/menu_helpers.h"
#include "ui/canvas.h"
#include "ui/dpi.h"
#include "ui/ids.h"
#include "ui/menu.h"
#include "ui/skin.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zrw::test {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

struct Expected {
    int id;
    const wchar_t* zh;
    const wchar_t* en;
    bool submenu;
};

TEST(MenuItems, LabelsInBothLanguagesAndKinds) {
    const Expected expected[] = {
        {2300, L"皮肤（配色）", L"Skin (colors)", true},
        {2200, L"跟随系统", L"Follow system", false},
        {2201, L"Fluent 浅", L"Fluent Light", false},
        {2202, L"Fluent 深", L"Fluent Dark", false},
        {2203, L"翡翠绿 浅", L"Emerald Light", false},
        {2204, L"翡翠绿 深", L"Emerald Dark", false},
        {2205, L"琥珀 深", L"Amber Dark", false},
        {2206, L"靛蓝 深", L"Indigo Dark", false},
        {2207, L"OLED 黑", L"OLED Black", false},
        {2208, L"图片皮肤… 选图", L"Image skin… pick a file", false},
        {2009, L"安装/修复右键菜单", L"Install context menu", false},
        {2104, L"卸载右键菜单", L"Remove context menu", false},
        {2399, L"语言", L"Language", true},
        {2107, L"中文", L"中文", false},
        {2108, L"English", L"English", false},
        {2105, L"关于…", L"About…", false},
        {2106, L"退出", L"Exit", false},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.id);
        MenuItemLook zh = DescribeMenuItem(e.id, 1, kLangZh, false);
        MenuItemLook en = DescribeMenuItem(e.id, 1, kLangEn, false);
        EXPECT_EQ(zh.label, e.zh);
        EXPECT_EQ(en.label, e.en);
        EXPECT_EQ(zh.submenu, e.submenu);
        EXPECT_FALSE(zh.separator);
        EXPECT_EQ(zh.hasChip, e.id >= 2200 && e.id <= 2208);
    }
    MenuItemLook separator = DescribeMenuItem(2302, 1, kLangEn, true);
    EXPECT_TRUE(separator.separator);
    EXPECT_TRUE(separator.label.empty());
    EXPECT_FALSE(separator.hasChip || separator.checked || separator.submenu);
}

TEST(MenuItems, ChipsUseEachSkinsAccentAndBackground) {
    struct Chip {
        int skin;
        bool dark;
        COLORREF chip, inner;
    } chips[] = {
        {0, true, RGB(0x4C, 0xC2, 0xFF), RGB(0x20, 0x20, 0x20)},
        {0, false, RGB(0x0F, 0x6C, 0xBD), RGB(0xF5, 0xF6, 0xF8)},
        {8, true, RGB(0x4C, 0xC2, 0xFF), RGB(0x20, 0x20, 0x20)},
        {8, false, RGB(0x4C, 0xC2, 0xFF), RGB(0xF5, 0xF6, 0xF8)},
        {3, true, RGB(0x0E, 0x8A, 0x6D), RGB(0xFA, 0xF9, 0xF6)},
        {7, false, RGB(0x00, 0xB7, 0xC3), RGB(0x00, 0x00, 0x00)},
    };
    for (const Chip& c : chips) {
        SCOPED_TRACE(testing::Message() << "skin " << c.skin << " dark " << c.dark);
        MenuItemLook look = DescribeMenuItem(kIdSkinFirst + c.skin, 2, kLangZh, c.dark);
        EXPECT_TRUE(look.hasChip);
        EXPECT_EQ(look.chip, c.chip);
        EXPECT_EQ(look.chipInner, c.inner);
    }
}

TEST(MenuItems, ChecksFollowTheCurrentSkinAndLanguage) {
    for (int current = 0; current < kSkinCount; ++current) {
        for (int id = kIdSkinFirst; id <= kIdSkinLast; ++id) {
            EXPECT_EQ(DescribeMenuItem(id, current, kLangZh, true).checked,
                      id - kIdSkinFirst == current)
                << "item " << id << " with skin " << current;
        }
    }
    EXPECT_TRUE(DescribeMenuItem(kIdLangZh, 0, kLangZh, false).checked);
    EXPECT_FALSE(DescribeMenuItem(kIdLangEn, 0, kLangZh, false).checked);
    EXPECT_FALSE(DescribeMenuItem(kIdLangZh, 0, kLangEn, false).checked);
    EXPECT_TRUE(DescribeMenuItem(kIdLangEn, 0, kLangEn, false).checked);
    EXPECT_FALSE(DescribeMenuItem(kIdAbout, 0, kLangEn, false).checked);
}

TEST(MenuItems, SizesScaleWithTheDpiAndHoldTheLabel) {
    MenuItemLook separator = DescribeMenuItem(kIdMenuSeparator, 0, kLangZh, false);
    EXPECT_EQ(MenuItemSize(separator, SIZE{}, 96).cx, 80);
    EXPECT_EQ(MenuItemSize(separator, SIZE{}, 96).cy, 9);
    EXPECT_EQ(MenuItemSize(separator, SIZE{}, 192).cx, 160);
    EXPECT_EQ(MenuItemSize(separator, SIZE{}, 192).cy, 18);
    const struct {
        int id;
        int width;  // for a label 100 pixels wide, at 96 DPI
    } items[] = {{kIdSkinMenu, 160}, {kIdSkinFirst + 4, 164}, {kIdExit, 142}, {kIdLangZh, 142}};
    for (const auto& item : items) {
        MenuItemLook look = DescribeMenuItem(item.id, 0, kLangZh, false);
        SIZE size = MenuItemSize(look, SIZE{100, 16}, 96);
        EXPECT_EQ(size.cx, item.width) << item.id;
        EXPECT_EQ(size.cy, 26) << item.id;
        size = MenuItemSize(look, SIZE{200, 32}, 192);
        EXPECT_EQ(size.cx, 200 + 2 * (item.width - 100)) << item.id;
        EXPECT_EQ(size.cy, 52) << item.id;
        // A label taller than the row at that DPI: the row grows, 8 pixels (scaled) beyond it.
        EXPECT_EQ(MenuItemSize(look, SIZE{200, 48}, 192).cy, 64) << item.id;
    }
}

class MenuDrawing : public IsolatedTest {
protected:
    void UseSkin(int skin) {
        g_settings.skin = skin;
        ComputeDark();
    }
};

TEST_F(MenuDrawing, HotRowIsAccentWithWhiteTextInEverySkinButNeverWhenDisabled) {
    for (int skin = 1; skin < kSkinCount; ++skin) {
        SCOPED_TRACE(testing::Message() << "skin " << skin);
        UseSkin(skin);
        const SkinRow& row = currentRow();
        MenuItemLook look = DescribeMenuItem(kIdAbout);
        RECT r{0, 0, 200, 26};
        MemoryCanvas canvas(200, 26);
        ASSERT_TRUE(canvas);

        PaintMenuItem(canvas.dc(), r, look, true, false);
        GdiFlush();
        EXPECT_EQ(Hex(canvas.pixel(6, 13)), Hex(row.accent));
        EXPECT_GT(CountNear(canvas, {30, 0, 188, 26}, kWhite), 5);

        PaintMenuItem(canvas.dc(), r, look, false, false);
        GdiFlush();
        EXPECT_EQ(Hex(canvas.pixel(6, 13)), Hex(row.panel));
        EXPECT_GT(CountNear(canvas, {30, 0, 188, 26}, row.text), 5);
        EXPECT_EQ(CountColour(canvas, {0, 0, 200, 26}, row.accent), 0);
    }
    // Selected but disabled: not hot, its text greyed.
    UseSkin(1);
    MemoryCanvas canvas(200, 26);
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_MENU;
    item.itemState = ODS_SELECTED | ODS_DISABLED;
    item.hDC = canvas.dc();
    item.rcItem = RECT{0, 0, 200, 26};
    item.itemData = kIdInstallMenu;
    DrawMenuItem(item);
    GdiFlush();
    EXPECT_EQ(Hex(canvas.pixel(6, 13)), Hex(skin::panel()));
    // The secondary text 606060 halfway to the panel.
    EXPECT_GT(CountNear(canvas, {30, 0, 188, 26}, RGB(0xB0, 0xB0, 0xB0), 16), 5);
    EXPECT_EQ(CountColour(canvas, {30, 0, 188, 26}, skin::text()), 0);
}

TEST_F(MenuDrawing, CheckMarkChipSeparatorAndArrow) {
    UseSkin(2);
    MemoryCanvas canvas(200, 26);
    ASSERT_TRUE(canvas);
    // The current skin's own item: checked, chip in its accent around its background.
    PaintMenuItem(canvas.dc(), {0, 0, 200, 26}, DescribeMenuItem(kIdSkinFirst + 2), false, false);
    GdiFlush();
    EXPECT_GT(CountColour(canvas, {14, 13, 19, 18}, skin::text()), 2) << "left stroke of the check";
    EXPECT_GT(CountColour(canvas, {20, 8, 26, 16}, skin::text()), 3) << "right stroke of the check";
    EXPECT_EQ(Hex(canvas.pixel(29, 13)), Hex(skin::panel()));
    EXPECT_EQ(Hex(canvas.pixel(30, 13)), Hex(RGB(0x4C, 0xC2, 0xFF)));
    EXPECT_EQ(Hex(canvas.pixel(44, 13)), Hex(skin::panel()));
    EXPECT_EQ(Hex(canvas.pixel(37, 13)), Hex(RGB(0x20, 0x20, 0x20)));
    EXPECT_EQ(CountColour(canvas, {30, 6, 44, 20}, RGB(0x4C, 0xC2, 0xFF)), 14 * 14 - 10 * 10);

    // Another skin's item: no check, its own chip colours.
    PaintMenuItem(canvas.dc(), {0, 0, 200, 26}, DescribeMenuItem(kIdSkinFirst + 5), false, false);
    GdiFlush();
    EXPECT_EQ(CountColour(canvas, {10, 0, 29, 26}, skin::text()), 0);
    EXPECT_EQ(Hex(canvas.pixel(30, 13)), Hex(RGB(0xE8, 0xA3, 0x3D)));
    EXPECT_EQ(Hex(canvas.pixel(37, 13)), Hex(RGB(0x1D, 0x19, 0x11)));

    // A submenu's arrow in the text colour, hot or not.
    for (bool hot : {false, true}) {
        PaintMenuItem(canvas.dc(), {0, 0, 200, 26}, DescribeMenuItem(kIdSkinMenu), hot, false);
        GdiFlush();
        COLORREF text = hot ? kWhite : skin::text();
        EXPECT_EQ(Hex(canvas.pixel(188, 13)), Hex(text)) << "hot " << hot;
        EXPECT_EQ(Hex(canvas.pixel(188, 6)), Hex(hot ? skin::accent() : skin::panel()));
    }

    MemoryCanvas line(80, 9);
    ASSERT_TRUE(line);
    PaintMenuItem(line.dc(), {0, 0, 80, 9}, DescribeMenuItem(kIdMenuSeparator), true, false);
    GdiFlush();
    // x + 12 to right - 12 on the middle row, nothing else.
    EXPECT_EQ(CountColour(line, {12, 4, 68, 5}, skin::border()), 56);
    EXPECT_EQ(CountColour(line, {0, 0, 80, 9}, skin::panel()), 80 * 9 - 56);
}

SIZE Measured(int id) {
    MEASUREITEMSTRUCT m{};
    m.CtlType = ODT_MENU;
    m.itemData = static_cast<ULONG_PTR>(id);
    MeasureMenuItem(m);
    return SIZE{static_cast<LONG>(m.itemWidth), static_cast<LONG>(m.itemHeight)};
}

// Drawn in a row as wide as the popup's widest item and as high as measured,
// and again in one 200 pixels wider and 40 higher: the label must come out the
// same, not cut short with an ellipsis nor clipped at the top or bottom.
void ExpectLabelsFit(HMENU popup) {
    constexpr int kMore = 20;
    int rowWidth = 0;
    for (int i = 0; i < GetMenuItemCount(popup); ++i)
        rowWidth = std::max<int>(rowWidth, Measured(ReadItem(popup, i).id).cx);
    for (int i = 0; i < GetMenuItemCount(popup); ++i) {
        MenuItem item = ReadItem(popup, i);
        if (item.submenu) ExpectLabelsFit(item.submenu);
        MenuItemLook look = DescribeMenuItem(item.id);
        if (look.separator) continue;
        int h = Measured(item.id).cy;
        MemoryCanvas fit(rowWidth, h), wide(rowWidth + 200, h + 2 * kMore);
        ASSERT_TRUE(fit && wide);
        PaintMenuItem(fit.dc(), {0, 0, rowWidth, h}, look, false, false);
        PaintMenuItem(wide.dc(), {0, 0, rowWidth + 200, h + 2 * kMore}, look, false, false);
        GdiFlush();
        RECT room = MenuLabelRect({0, 0, rowWidth, h}, look, InterfaceDpi());
        int differ = 0, beyond = 0;
        for (int y = 0; y < h; ++y)
            for (int x = room.left; x < room.right; ++x)
                differ += fit.pixel(x, y) != wide.pixel(x, y + kMore);
        // In the higher row the label stays within the band of the measured one.
        for (int y = 0; y < h + 2 * kMore; ++y)
            for (int x = room.left; x < room.right && (y < kMore || y >= kMore + h); ++x)
                beyond += wide.pixel(x, y) != skin::panel();
        EXPECT_EQ(beyond, 0) << "label of " << item.id << " higher than its row " << h;
        EXPECT_EQ(differ, 0) << "label of " << item.id << " cut in a row " << rowWidth << " x "
                             << h;
    }
}

// The interface font at a DPI while it lives; the screen's DPI (96 here) again after.
class InterfaceDpiFor : NoCopy {
public:
    explicit InterfaceDpiFor(int dpi) { SetInterfaceDpi(dpi); }
    ~InterfaceDpiFor() { SetInterfaceDpi(kBaseDpi); }
};

// Up to 250 %: this prefix's interface font is smaller than Windows' own, whose
// labels outgrow a fixed row already at 175 %.
TEST_F(MenuDrawing, EveryLabelFitsTheRowItsPopupGivesItAtEveryDpi) {
    UseSkin(2);
    for (int dpi : {96, 168, 192, 240}) {
        InterfaceDpiFor scaled(dpi);
        for (uint32_t lang : {kLangZh, kLangEn}) {
            SCOPED_TRACE(testing::Message() << "language " << lang << " at " << dpi);
            UiLang = lang;
            UniqueMenu menu = BuildMainMenu();
            ASSERT_TRUE(menu);
            ExpectLabelsFit(menu.get());
        }
    }
}

class BuiltMenu : public MenuDrawing {};

std::vector<int> ItemIds(HMENU menu) {
    std::vector<int> ids;
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
        ids.push_back(static_cast<int>(GetMenuItemID(menu, i)));
    return ids;
}

TEST_F(BuiltMenu, ItemsInOrderOwnerDrawnWithTheirIdsAsData) {
    UseSkin(8);
    UiLang = kLangEn;
    UniqueMenu built = BuildMainMenu();
    ASSERT_TRUE(built);
    HMENU menu = built.get();
    // GetMenuItemID answers -1 for items that open a submenu.
    EXPECT_EQ(ItemIds(menu), (std::vector<int>{-1, 2302, 2109, 2110, 2302, 2009, 2104, 2302, -1,
                                               2105, 2302, 2106}));
    std::vector<int> subIds;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        MenuItem item = ReadItem(menu, i);
        SCOPED_TRACE(item.id);
        EXPECT_TRUE(item.type & MFT_OWNERDRAW);
        EXPECT_EQ(item.data, item.id);
        EXPECT_EQ((item.type & MFT_SEPARATOR) != 0, item.id == 2302);
        EXPECT_EQ(item.submenu != nullptr, item.id == 2300 || item.id == 2399);
        if (!item.submenu) continue;
        EXPECT_EQ(MenuBackground(item.submenu), brushFor(skin::panel()));
        for (int j = 0; j < GetMenuItemCount(item.submenu); ++j) {
            MenuItem sub = ReadItem(item.submenu, j);
            subIds.push_back(sub.id);
            EXPECT_TRUE(sub.type & MFT_OWNERDRAW) << sub.id;
            EXPECT_EQ(sub.data, sub.id);
            EXPECT_EQ((sub.state & MFS_CHECKED) != 0, sub.id == 2208 || sub.id == 2108) << sub.id;
        }
    }
    EXPECT_EQ(subIds,
              (std::vector<int>{2200, 2201, 2202, 2203, 2204, 2205, 2206, 2207, 2208, 2107, 2108}));
    EXPECT_EQ(ReadItem(menu, 0).id, 2300);
    EXPECT_EQ(ReadItem(menu, 8).id, 2399);
    EXPECT_EQ(MenuBackground(menu), brushFor(skin::panel()));
}

}  // namespace
}  // namespace zrw::test
