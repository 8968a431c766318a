// The verification hook of a job from the command line.
#include "job/job.h"

#include <gtest/gtest.h>

namespace zrw {
namespace {

TEST(RunnerVerifyHook, DrainsTheQueue) {
    ASSERT_TRUE(PostThreadMessageW(GetCurrentThreadId(), WM_APP + 7, 0, 0));
    EXPECT_TRUE(RunnerVerifyHook(0));
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
}

TEST(RunnerVerifyHook, AQuitStopsTheWalkAndStaysQueued) {
    PostQuitMessage(5);
    EXPECT_FALSE(RunnerVerifyHook(0));
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 5u);
}

}  // namespace
}  // namespace zrw
