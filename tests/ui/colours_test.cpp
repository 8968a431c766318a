// Colour rules of the skins, the title bar, the owner-drawn buttons, the picture fit and
// the bar.
#include "ui/controls.h"
#include "ui/skin.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace zrw {
namespace {

constexpr COLORREF Hex(uint32_t rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

TEST(Mix, BlendsEachChannelRoundedAndClampsTheFactor) {
    EXPECT_EQ(mix(RGB(0, 0, 0), RGB(255, 255, 255), 0.5), RGB(128, 128, 128));
    EXPECT_EQ(mix(RGB(10, 200, 30), RGB(20, 100, 30), 0.25), RGB(13, 175, 30));
    EXPECT_EQ(mix(RGB(10, 20, 30), RGB(200, 200, 200), -1.0), RGB(10, 20, 30));
    EXPECT_EQ(mix(RGB(10, 20, 30), RGB(200, 201, 202), 7.0), RGB(200, 201, 202));
}

TEST(SkinRows, FollowSystemAndPictureResolveToTheFluentRows) {
    EXPECT_EQ(RowFor(0, false).background, Hex(0xF5F6F8));
    EXPECT_EQ(RowFor(0, true).background, Hex(0x202020));
    EXPECT_EQ(RowFor(8, false).accent, Hex(0x4CC2FF));
    EXPECT_EQ(RowFor(42, false).accent, Hex(0x0F6CBD));
    EXPECT_EQ(RowFor(-3, true).panel, Hex(0x2B2B2B));
    EXPECT_EQ(RowFor(5, false).accent, Hex(0xE8A33D));
    EXPECT_EQ(RowFor(7, false).background, Hex(0x000000));
}

TEST(SkinRows, DarkDecision) {
    EXPECT_TRUE(DecideDark(8, true, 1));
    EXPECT_FALSE(DecideDark(8, false, 1));  // picture skin without a picture follows the system
    EXPECT_TRUE(DecideDark(8, false, 0));
    EXPECT_FALSE(DecideDark(1, false, 0));
    EXPECT_TRUE(DecideDark(4, false, 1));
    EXPECT_TRUE(DecideDark(0, false, 0));
    EXPECT_FALSE(DecideDark(0, false, 1));
    EXPECT_FALSE(DecideDark(0, false, 7));
}

TEST(Buttons, KindsFollowTheIdentifier) {
    EXPECT_EQ(ButtonKindFor(2004), ButtonKind::Primary);
    EXPECT_EQ(ButtonKindFor(2005), ButtonKind::Primary);
    EXPECT_EQ(ButtonKindFor(2015), ButtonKind::Quiet);
    EXPECT_EQ(ButtonKindFor(2016), ButtonKind::Quiet);
    EXPECT_EQ(ButtonKindFor(2006), ButtonKind::Danger);
    EXPECT_EQ(ButtonKindFor(2019), ButtonKind::Normal);
    EXPECT_EQ(ButtonKindFor(2306), ButtonKind::Normal);
}

TEST(Buttons, PrimaryInFluentLight) {
    const SkinRow& light = RowFor(1, false);
    ButtonColors c = ColorsForButton(ButtonKind::Primary, {}, light, false);
    EXPECT_EQ(c.fill, Hex(0x0F6CBD));
    EXPECT_EQ(c.outline, c.fill);
    EXPECT_EQ(c.text, Hex(0xFFFFFF));
    ButtonState pressed;
    pressed.pressed = true;
    EXPECT_EQ(ColorsForButton(ButtonKind::Primary, pressed, light, false).fill, Hex(0x0C5493));
    ButtonState disabled;
    disabled.disabled = true;
    c = ColorsForButton(ButtonKind::Primary, disabled, light, false);
    EXPECT_EQ(c.fill, Hex(0xABCCE8));  // 35 % of the accent into white
    EXPECT_EQ(c.text, Hex(0x606060));
}

TEST(Buttons, PrimaryInFluentDarkSwitchesItsTextWithTheLuminance) {
    const SkinRow& dark = RowFor(2, true);
    ButtonColors c = ColorsForButton(ButtonKind::Primary, {}, dark, true);
    EXPECT_EQ(c.fill, Hex(0x4CC2FF));
    EXPECT_NEAR(Luminance(c.fill), 0.65, 0.01);
    EXPECT_EQ(c.text, Hex(0x141418));
    ButtonState pressed;
    pressed.pressed = true;
    c = ColorsForButton(ButtonKind::Primary, pressed, dark, true);
    EXPECT_EQ(c.fill, Hex(0x3588B3));
    EXPECT_EQ(c.text, Hex(0xFFFFFF));
    ButtonState hover;
    hover.hover = true;
    EXPECT_EQ(ColorsForButton(ButtonKind::Primary, hover, dark, true).fill, Hex(0x65CBFF));
}

TEST(Buttons, QuietDangerAndNormal) {
    const SkinRow& row = RowFor(1, false);
    ButtonColors quiet = ColorsForButton(ButtonKind::Quiet, {}, row, false);
    EXPECT_EQ(quiet.fill, Hex(0xFAFBFC));     // panel FFFFFF halfway to background F5F6F8
    EXPECT_EQ(quiet.outline, Hex(0xE9EAEA));  // border E3E3E3 35 % towards the background
    EXPECT_EQ(quiet.text, Hex(0x606060));
    ButtonState hover;
    hover.hover = true;
    ButtonColors hot = ColorsForButton(ButtonKind::Quiet, hover, row, false);
    EXPECT_EQ(hot.fill, Hex(0xD4E5F3));  // 18 % of the accent 0F6CBD
    EXPECT_EQ(hot.text, Hex(0x1A1A1A));
    ButtonState pressed;
    pressed.pressed = true;
    pressed.hover = true;  // pressing wins over hovering
    EXPECT_EQ(ColorsForButton(ButtonKind::Quiet, pressed, row, false).fill, Hex(0xE4E5E5));

    ButtonColors danger = ColorsForButton(ButtonKind::Danger, {}, row, false);
    EXPECT_EQ(danger.text, Hex(0xD04E38));
    EXPECT_EQ(danger.fill, Hex(0xFFFFFF));
    EXPECT_EQ(ColorsForButton(ButtonKind::Danger, pressed, row, false).fill, Hex(0xF0CFCC));
    ButtonState disabled;
    disabled.disabled = true;
    EXPECT_EQ(ColorsForButton(ButtonKind::Danger, disabled, row, false).text, Hex(0x606060));

    const SkinRow& dark = RowFor(2, true);
    EXPECT_EQ(ColorsForButton(ButtonKind::Normal, {}, dark, true).outline, Hex(0x656565));
    EXPECT_EQ(ColorsForButton(ButtonKind::Normal, {}, row, false).outline, Hex(0xC3C3C3));
    EXPECT_EQ(ColorsForButton(ButtonKind::Normal, hover, row, false).fill, Hex(0xD9E7F4));
}

std::vector<std::pair<DWORD, DWORD>> Pairs(const std::array<FrameAttribute, 6>& attributes) {
    std::vector<std::pair<DWORD, DWORD>> pairs;
    for (const FrameAttribute& a : attributes) pairs.emplace_back(a.id, a.value);
    return pairs;
}

TEST(TitleBar, LightGivesBackBothCaptionColoursDarkSetsBoth) {
    using P = std::vector<std::pair<DWORD, DWORD>>;
    EXPECT_EQ(Pairs(FrameAttributesFor(false, Hex(0xF5F6F8), Hex(0x1A1A1A))),
              (P{{20, 0}, {19, 0}, {38, 1}, {33, 2}, {35, 0xFFFFFFFF}, {36, 0xFFFFFFFF}}));
    EXPECT_EQ(Pairs(FrameAttributesFor(true, Hex(0x202020), Hex(0xF3F3F3))),
              (P{{20, 1}, {19, 1}, {38, 1}, {33, 2}, {35, 0x202020}, {36, 0xF3F3F3}}));
}

TEST(Picture, FitsCentredWithBands) {
    RECT r = FitPicture(1000, 500, 800, 600);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 100);
    EXPECT_EQ(r.right - r.left, 800);
    EXPECT_EQ(r.bottom - r.top, 400);
    r = FitPicture(300, 600, 800, 600);  // tall picture: bands left and right
    EXPECT_EQ(r.left, 250);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, 550);
    EXPECT_EQ(r.bottom, 600);
    r = FitPicture(100, 50, 800, 600);  // small pictures are scaled up to fit
    EXPECT_EQ(r.right - r.left, 800);
    EXPECT_EQ(r.top, 100);
}

TEST(Bar, FillWidthIsClampedAndTruncated) {
    EXPECT_EQ(BarFillWidth(500, 0), 0);
    EXPECT_EQ(BarFillWidth(500, -5), 0);
    EXPECT_EQ(BarFillWidth(500, 1), 5);
    EXPECT_EQ(BarFillWidth(999, 50), 499);
    EXPECT_EQ(BarFillWidth(500, 100), 500);
    EXPECT_EQ(BarFillWidth(500, 250), 500);
}

}  // namespace
}  // namespace zrw
