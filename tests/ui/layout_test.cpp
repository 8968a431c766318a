// The main window's layout for a client size, and the pane order.
#include "ui/ui.h"

#include <gtest/gtest.h>

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
    ASSERT_TRUE(ComputeLayout(900, 520, l));
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
    EXPECT_EQ(l.modifiedWidth, 353 - 162 - 63);
}

TEST(Layout, ButtonColumnCentresOnTallLists) {
    MainLayout l;
    ASSERT_TRUE(ComputeLayout(1044, 621, l));
    EXPECT_EQ(l.half, 437);
    EXPECT_EQ(l.listH, 265);
    EXPECT_EQ(l.midY, 140);
    EXPECT_EQ(l.moveRight.y, 184);
    EXPECT_EQ(l.copyLeft.y, 228);
}

TEST(Layout, HalfNeverBelow240) {
    MainLayout l;
    ASSERT_TRUE(ComputeLayout(400, 300, l));
    EXPECT_EQ(l.half, 240);
    EXPECT_EQ(l.listH, 90);
}

TEST(Layout, TinyClientAreaLeavesEverythingWhereItWas) {
    MainLayout l;
    EXPECT_FALSE(ComputeLayout(99, 600, l));
    EXPECT_FALSE(ComputeLayout(600, 99, l));
    EXPECT_TRUE(ComputeLayout(100, 100, l));
}

TEST(PaneOrder, FoldersFirstThenNameIgnoringCase) {
    std::vector<PaneEntry> entries(5);
    entries[0].name = L"c.txt";
    entries[1].name = L"b";
    entries[1].isFolder = true;
    entries[2].name = L"B.txt";
    entries[3].name = L"A";
    entries[3].isFolder = true;
    entries[4].name = L"\u00e9t\u00e9.txt";
    SortPaneEntries(entries);
    std::vector<std::wstring> names;
    for (const PaneEntry& e : entries) names.push_back(e.name);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"A", L"b", L"B.txt", L"c.txt",
                                                L"\u00e9t\u00e9.txt"}));
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
