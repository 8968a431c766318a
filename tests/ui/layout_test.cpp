// The main window's layout for a client size and DPI, and the panes' time column.
#include "ui/layout.h"
#include "app/lang.h"
#include "engine/safety.h"
#include "tests/support/window_fixture.h"
#include "ui/canvas.h"
#include "ui/controls.h"
#include "ui/dpi.h"
#include "ui/panes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>
#include <vector>

namespace zrw {
namespace {

void ExpectPlace(const Place& p, int x, int y, int w, int h, const char* what) {
    EXPECT_EQ(p.x, x) << what;
    EXPECT_EQ(p.y, y) << what;
    EXPECT_EQ(p.w, w) << what;
    EXPECT_EQ(p.h, h) << what;
}

TEST(Layout, SmallestClientArea) {
    MainLayout l;
    ASSERT_TRUE(ComputeLayout(900, 520, 96, l));
    EXPECT_EQ(l.half, 365);
    EXPECT_EQ(l.listH, 164);
    EXPECT_EQ(l.midY, 96);
    EXPECT_EQ(l.midX, 387);
    ExpectPlace(l.menu, 846, 15, 40, 28, "menu");
    ExpectPlace(l.title, 14, 19, 824, 22, "title");
    ExpectPlace(l.leftPath, 114, 55, 264, 24, "left path");
    ExpectPlace(l.rightUp, 521, 52, 58, 30, "right up");
    ExpectPlace(l.rightBrowse, 583, 52, 32, 30, "right browse");
    ExpectPlace(l.rightPath, 621, 55, 264, 24, "right path");
    ExpectPlace(l.leftList, 20, 96, 353, 152, "left list");
    ExpectPlace(l.rightList, 527, 96, 353, 152, "right list");
    ExpectPlace(l.copyRight, 387, 96, 126, 32, "copy right");
    ExpectPlace(l.moveLeft, 387, 228, 126, 32, "move left");
    ExpectPlace(l.report, 24, 268, 852, 138, "report");
    ExpectPlace(l.status, 14, 420, 505, 18, "status");
    ExpectPlace(l.failure, 519, 420, 366, 18, "failure");
    ExpectPlace(l.bar, 14, 442, 872, 20, "bar");
    ExpectPlace(l.progress, -500, -500, 12, 12, "progress");
    ExpectPlace(l.refresh, 14, 472, 76, 34, "refresh");
    ExpectPlace(l.engineBar, 98, 472, 176, 34, "engine bar");
    ExpectPlace(l.verify, 282, 472, 108, 34, "verify");
    ExpectPlace(l.pause, 710, 472, 76, 34, "pause");
    ExpectPlace(l.cancel, 794, 472, 92, 34, "cancel");
    EXPECT_EQ(l.nameWidth, 162);
    EXPECT_EQ(l.sizeWidth, 63);
}

TEST(Layout, ButtonColumnCentresOnTallLists) {
    MainLayout l;
    ASSERT_TRUE(ComputeLayout(1044, 621, 96, l));
    EXPECT_EQ(l.half, 437);
    EXPECT_EQ(l.listH, 265);
    EXPECT_EQ(l.midY, 140);
    EXPECT_EQ(l.moveRight.y, 184);
    EXPECT_EQ(l.copyLeft.y, 228);
}

TEST(Layout, HalfNeverBelow240) {
    MainLayout l;
    ASSERT_TRUE(ComputeLayout(400, 300, 96, l));
    EXPECT_EQ(l.half, 240);
    EXPECT_EQ(l.listH, 90);
}

TEST(Layout, TinyClientAreaLeavesEverythingWhereItWas) {
    MainLayout l;
    EXPECT_FALSE(ComputeLayout(99, 600, 96, l));
    EXPECT_FALSE(ComputeLayout(600, 99, 96, l));
    EXPECT_TRUE(ComputeLayout(100, 100, 96, l));
}

TEST(Layout, ScalesWithTheDpi) {
    MainLayout l;
    ASSERT_TRUE(ComputeLayout(1350, 780, 144, l));
    EXPECT_EQ(l.half, 547);
    EXPECT_EQ(l.listH, 246);
    ExpectPlace(l.copyRight, 580, 144, 189, 48, "copy right");
    ExpectPlace(l.rightPath, 931, 83, 395, 36, "right path");
    ExpectPlace(l.cancel, 1191, 708, 138, 51, "cancel");
    EXPECT_EQ(l.nameWidth, 243);
    EXPECT_FALSE(ComputeLayout(149, 780, 144, l));  // below 100 pixels at 96 DPI
    ASSERT_TRUE(ComputeLayout(1800, 1040, 192, l));
    ExpectPlace(l.leftUp, 28, 104, 116, 60, "left up");
    ExpectPlace(l.report, 48, 536, 1704, 276, "report");
}

TEST(Layout, MinimumWindowHoldsTheSmallestClientAreaAtEveryDpi) {
    const SIZE large{4000, 3000};
    SIZE least = MinimumWindowSize(96, SIZE{16, 39}, large);
    EXPECT_EQ(least.cx, 916);
    EXPECT_EQ(least.cy, 559);
    least = MinimumWindowSize(192, SIZE{20, 60}, large);
    EXPECT_EQ(least.cx, 1820);
    EXPECT_EQ(least.cy, 1100);
    // A smaller screen: its work area, but never below 650 x 400 (scaled) inside.
    least = MinimumWindowSize(144, SIZE{24, 59}, SIZE{1360, 728});
    EXPECT_EQ(least.cx, 1360);
    EXPECT_EQ(least.cy, 728);
    least = MinimumWindowSize(192, SIZE{20, 60}, SIZE{1024, 700});
    EXPECT_EQ(least.cx, 1320);
    EXPECT_EQ(least.cy, 860);
}

TEST(Layout, AWindowIsMovedAndShrunkIntoTheWorkArea) {
    const RECT work{0, 0, 1360, 728};
    auto expectRect = [](const RECT& r, LONG left, LONG top, LONG right, LONG bottom) {
        EXPECT_EQ(r.left, left);
        EXPECT_EQ(r.top, top);
        EXPECT_EQ(r.right, right);
        EXPECT_EQ(r.bottom, bottom);
    };
    expectRect(FitIntoWorkArea(work, POINT{40, 30}, SIZE{1060, 660}), 40, 30, 1100, 690);
    expectRect(FitIntoWorkArea(work, POINT{400, 300}, SIZE{1060, 660}), 300, 68, 1360, 728);
    expectRect(FitIntoWorkArea(work, POINT{40, 30}, SIZE{1590, 990}), 0, 0, 1360, 728);
    expectRect(FitIntoWorkArea(work, POINT{-900, -50}, SIZE{600, 400}), 0, 0, 600, 400);
    // A second monitor left of the first.
    expectRect(FitIntoWorkArea(RECT{-1920, 0, 0, 1040}, POINT{-100, 900}, SIZE{1060, 660}), -1060,
               380, 0, 1040);
}

struct Named {
    const char* name;
    Place place;
};

std::vector<Named> VisibleControls(const MainLayout& l) {
    return {{"menu", l.menu},
            {"title", l.title},
            {"left up", l.leftUp},
            {"left browse", l.leftBrowse},
            {"left path", l.leftPath},
            {"right up", l.rightUp},
            {"right browse", l.rightBrowse},
            {"right path", l.rightPath},
            {"left list", l.leftList},
            {"right list", l.rightList},
            {"engine mid", l.engineMid},
            {"copy right", l.copyRight},
            {"move right", l.moveRight},
            {"copy left", l.copyLeft},
            {"move left", l.moveLeft},
            {"report", l.report},
            {"status", l.status},
            {"failure", l.failure},
            {"bar", l.bar},
            {"refresh", l.refresh},
            {"engine bar", l.engineBar},
            {"verify", l.verify},
            {"pause", l.pause},
            {"cancel", l.cancel}};
}

// Client areas of the least, the smallest, the opening and a large window, at 96 DPI.
constexpr SIZE kClientSizes[] = {{650, 400}, {900, 520}, {1044, 621}, {1600, 1000}};
constexpr int kDpis[] = {96, 144, 192};

// Every control within the client area, none over another.
void ExpectFits(int W, int H, int dpi) {
    MainLayout l;
    ASSERT_TRUE(ComputeLayout(W, H, dpi, l));
    std::vector<Named> controls = VisibleControls(l);
    for (size_t i = 0; i < controls.size(); ++i) {
        const Place& p = controls[i].place;
        EXPECT_TRUE(p.x >= 0 && p.y >= 0 && p.x + p.w <= W && p.y + p.h <= H)
            << controls[i].name << " outside " << W << "x" << H << " at " << dpi;
        for (size_t j = i + 1; j < controls.size(); ++j)
            EXPECT_FALSE(test::Overlap(p, controls[j].place))
                << controls[i].name << " and " << controls[j].name << " in " << W << "x" << H
                << " at " << dpi;
    }
}

TEST(Layout, NoTwoControlsOverlapAndAllStayInside) {
    for (int dpi : kDpis)
        for (SIZE size : kClientSizes)
            ExpectFits(static_cast<int>(size.cx * dpi / 96), static_cast<int>(size.cy * dpi / 96),
                       dpi);
    // Every height between the least and the smallest window, and some widths.
    for (int dpi : kDpis)
        for (int h = 400; h <= 520; h += 3)
            for (int w : {650, 777, 900}) ExpectFits(w * dpi / 96, h * dpi / 96, dpi);
}

// At 150 % on a 1360 x 768 screen whose taskbar takes 40 pixels, the window
// opens on the work area whole, and Cancel and the right pane are in it.
TEST(Layout, OpeningWindowAt144DpiOnA1360x768Screen) {
    const int dpi = 144;
    const RECT work{0, 0, 1360, 728};
    RECT frame{0, 0, 0, 0};
    ASSERT_TRUE(AdjustWindowRectExForDpi(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0, dpi));
    SIZE edges{frame.right - frame.left, frame.bottom - frame.top};
    RECT window = FitIntoWorkArea(work, POINT{26, 26}, SIZE{Scale(1060, dpi), Scale(660, dpi)});
    SIZE least = MinimumWindowSize(dpi, edges, SIZE{1360, 728});
    EXPECT_LE(least.cx, window.right - window.left);
    EXPECT_LE(least.cy, window.bottom - window.top);
    int W = window.right - window.left - edges.cx, H = window.bottom - window.top - edges.cy;
    ExpectFits(W, H, dpi);
    MainLayout l;
    ASSERT_TRUE(ComputeLayout(W, H, dpi, l));
    EXPECT_LE(l.cancel.x + l.cancel.w, W);
    EXPECT_LE(l.rightList.x + l.rightList.w, W);
    // What the name and size columns leave holds a time's text beside a scroll bar.
    MemoryCanvas canvas(1, 1);
    UniqueGdi font = CreateInterfaceFont(dpi);
    SelectedObject selected(canvas.dc(), font.get());
    SIZE time{};
    ASSERT_TRUE(GetTextExtentPoint32W(canvas.dc(), L"2026-12-09 23:59", 16, &time));
    EXPECT_GE(l.rightList.w - l.nameWidth - l.sizeWidth - Scale(17, dpi), time.cx);
}

TEST(Layout, FontGrowsWithTheDpiAndEveryButtonLabelFits) {
    auto height = [](int dpi) {
        UniqueGdi font = CreateInterfaceFont(dpi);
        LOGFONTW lf{};
        GetObjectW(font.get(), sizeof(lf), &lf);
        return std::abs(lf.lfHeight);
    };
    long base = height(96);
    ASSERT_GT(base, 0);
    EXPECT_NEAR(height(144), base * 3 / 2.0, 1.0);
    EXPECT_NEAR(height(192), base * 2, 1.0);
    // The menu sign's dots grow with the font.
    auto dot = [](int dpi) {
        MemoryCanvas canvas(1, 1);
        UniqueGdi font = CreateInterfaceFont(dpi);
        SelectedObject selected(canvas.dc(), font.get());
        TEXTMETRICW metrics{};
        GetTextMetricsW(canvas.dc(), &metrics);
        return MenuDotsFor(metrics).dot;
    };
    EXPECT_GE(dot(96), 2);
    EXPECT_GT(dot(144), dot(96));
    EXPECT_GT(dot(192), dot(144));

    MemoryCanvas canvas(1, 1);
    ASSERT_TRUE(canvas);
    for (int dpi : kDpis) {
        MainLayout l;
        ASSERT_TRUE(ComputeLayout(900 * dpi / 96, 520 * dpi / 96, dpi, l));
        const std::pair<const wchar_t*, Place> labels[] = {
            {L"上级", l.leftUp},      {L"…", l.leftBrowse},
            {L"复制 →", l.copyRight}, {L"移动(剪切) →", l.moveRight},
            {L"← 复制", l.copyLeft},  {L"← 移动(剪切)", l.moveLeft},
            {L"刷新", l.refresh},     {L"暂停", l.pause},
            {L"继续", l.pause},       {L"取消", l.cancel},
            {L"⋮", l.menu},           {L"原生引擎", l.engineMid},
            {L"vozi", l.engineMid},   {L"校验：开", l.verify},
            {L"校验：关", l.verify},
        };
        UniqueGdi font = CreateInterfaceFont(dpi);
        SelectedObject selected(canvas.dc(), font.get());
        for (uint32_t lang : {kLangZh, kLangEn}) {
            for (const auto& [zh, place] : labels) {
                std::wstring text = Tr(zh, lang);
                SIZE extent{};
                ASSERT_TRUE(GetTextExtentPoint32W(canvas.dc(), text.c_str(),
                                                  static_cast<int>(text.size()), &extent));
                // The painter keeps 8 pixels (at 96 DPI) clear on either side.
                EXPECT_LE(extent.cx, place.w - 2 * (8 * dpi / 96))
                    << test::WideToUtf8(text) << " at " << dpi;
                EXPECT_LE(extent.cy, place.h) << test::WideToUtf8(text) << " at " << dpi;
            }
        }
    }
}

TEST(PaneOrder, ModifiedTimeIsLocal) {
    SYSTEMTIME local{2026, 3, 0, 5, 9, 7, 30, 0};
    SYSTEMTIME utc;
    ASSERT_TRUE(TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc));
    FILETIME ft;
    ASSERT_TRUE(SystemTimeToFileTime(&utc, &ft));
    EXPECT_EQ(FormatModified(ft), L"2026-03-05 09:07");
}

}  // namespace
}  // namespace zrw
