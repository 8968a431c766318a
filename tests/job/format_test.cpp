#include "job/job.h"

#include <gtest/gtest.h>

namespace zrw {
namespace {

TEST(Formats, SizesAndDurations) {
    EXPECT_EQ(FormatSize(512), L"512 B");
    EXPECT_EQ(FormatSize(1023), L"1023 B");
    EXPECT_EQ(FormatSize(1024), L"1 KB");
    EXPECT_EQ(FormatSize(2048), L"2 KB");
    EXPECT_EQ(FormatSize(1048576), L"1.00 MB");
    EXPECT_EQ(FormatSize(1ull << 52), L"4096.00 TB");
    EXPECT_EQ(FormatSizeShort(1024), L"1.0 KB");
    EXPECT_EQ(FormatSizeShort(1536), L"1.5 KB");
    EXPECT_EQ(FormatSizeShort(1000), L"1000 B");
    EXPECT_EQ(FormatDuration(59.9), L"0:59");
    EXPECT_EQ(FormatDuration(75), L"1:15");
    EXPECT_EQ(FormatDuration(3600), L"1:00:00");
    EXPECT_EQ(FormatDuration(3725), L"1:02:05");
    EXPECT_EQ(FormatDuration(-4), L"0:00");
}

TEST(SampleSpeed, FallsBackToTheAverageWhenNothingMoved) {
    SpeedState s;
    uint64_t now = GetTickCount64();
    s.startTick = now - 10000;
    s.bytesDone = 5000;
    s.samples.emplace_back(now - 5000, 100);   // too old: dropped
    s.samples.emplace_back(now - 2000, 1000);
    SampleSpeed(s);
    ASSERT_EQ(s.samples.size(), 2u);
    EXPECT_NEAR(s.speed, 4000.0 / 2.0, 100.0);
    s.samples.clear();
    s.samples.emplace_back(now - 1000, 5000);  // a stall: the job average
    SampleSpeed(s);
    EXPECT_NEAR(s.speed, 500.0, 20.0);
    SpeedState fresh;
    fresh.startTick = GetTickCount64();
    fresh.bytesDone = 100;
    SampleSpeed(fresh);
    EXPECT_EQ(fresh.speed, 0.0);
}

}  // namespace
}  // namespace zrw
