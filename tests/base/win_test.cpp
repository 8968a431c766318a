// The halves joiner, and the owners and scopes of base/win.h that undo
// something other than a close.
#include "base/win.h"

#include <gtest/gtest.h>

#include <utility>

namespace zrw {
namespace {

TEST(Join64, KeepsTheHighHalfOfSizesAbove4GiB) {
    EXPECT_EQ(Join64(0, 0xFFFFFFFF), 0xFFFFFFFFull);
    EXPECT_EQ(Join64(1, 0), 0x100000000ull);
    EXPECT_EQ(Join64(0xFFFFFFFF, 0xFFFFFFFF), ~0ull);
    WIN32_FIND_DATAW found{};
    found.nFileSizeHigh = 5;
    found.nFileSizeLow = 0x80000000;
    EXPECT_EQ(FileSize(found), 5 * 0x100000000ull + 0x80000000ull);
}

class SelectedObjectTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dc);
        ASSERT_TRUE(pen);
        original = CurrentPen();
    }
    HGDIOBJ CurrentPen() const { return GetCurrentObject(dc.get(), OBJ_PEN); }

    UniqueMemoryDc dc{CreateCompatibleDC(nullptr)};
    UniqueGdi pen{CreatePen(PS_SOLID, 1, RGB(1, 2, 3))};
    HGDIOBJ original = nullptr;
};

TEST_F(SelectedObjectTest, PutsThePreviousObjectBackOnAnEarlyReturnToo) {
    auto draw = [&](bool leaveEarly) {
        SelectedObject selected(dc.get(), pen.get());
        EXPECT_TRUE(selected);
        EXPECT_EQ(CurrentPen(), pen.get());
        if (leaveEarly) return;
        MoveToEx(dc.get(), 0, 0, nullptr);
        LineTo(dc.get(), 4, 4);
    };
    for (bool leaveEarly : {true, false}) {
        draw(leaveEarly);
        EXPECT_EQ(CurrentPen(), original) << "left early: " << leaveEarly;
    }
}

TEST_F(SelectedObjectTest, AMovedSelectionIsUndoneByItsNewOwnerOnly) {
    {
        SelectedObject kept;
        {
            SelectedObject selected(dc.get(), pen.get());
            kept = std::move(selected);
        }
        EXPECT_EQ(CurrentPen(), pen.get());
    }
    EXPECT_EQ(CurrentPen(), original);
}

}  // namespace
}  // namespace zrw
