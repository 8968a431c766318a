// Size, duration and speed texts.
#include "base/format.h"
#include "job/job.h"

#include <gtest/gtest.h>

#include <limits>

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

TEST(Formats, HugeAndBrokenDurationsStayInRange) {
    EXPECT_EQ(FormatDuration(1e12), L"1193046:28:15");  // held at 4294967295 s
    EXPECT_EQ(FormatDuration(std::numeric_limits<double>::infinity()), L"1193046:28:15");
    EXPECT_EQ(FormatDuration(std::numeric_limits<double>::quiet_NaN()), L"0:00");
    EXPECT_EQ(FormatDuration(3599.99), L"59:59");
}

TEST(SampleSpeed, RateOverTheLastThreeSeconds) {
    SpeedState s;
    s.startTick = 100000;
    const uint64_t ticks[] = {100300, 100600, 100900, 101200, 101500, 101800, 102100,
                              102400, 102700, 103000, 103300, 103600, 103900};
    for (uint64_t t : ticks) {
        s.bytesDone = (t - 100000) * 2000;  // 2 MB/s steadily
        SampleSpeedAt(s, t);
    }
    // 103900 - 3000 = 100900: a pair exactly 3000 ms old stays, older ones go.
    ASSERT_EQ(s.samples.size(), 11u);
    EXPECT_EQ(s.samples.front().first, 100900u);
    EXPECT_DOUBLE_EQ(s.speed, 2000000.0);

    s.bytesDone += 1000000;  // a burst in the newest tick
    SampleSpeedAt(s, 104200);
    EXPECT_EQ(s.samples.front().first, 101200u);
    EXPECT_DOUBLE_EQ(s.speed, (8800000.0 - 2400000.0) / 3.0);
}

TEST(SampleSpeed, UnderHalfASecondOfSamplesUsesTheJobAverage) {
    SpeedState s;
    s.startTick = 50000;
    s.bytesDone = 1000;
    SampleSpeedAt(s, 50400);  // one pair, 0.4 s into the job: nothing to show yet
    EXPECT_EQ(s.speed, 0.0);
    s.bytesDone = 3000;
    SampleSpeedAt(s, 50800);  // two pairs 0.4 s apart: the average since the start
    EXPECT_DOUBLE_EQ(s.speed, 3000.0 / 0.8);
}

TEST(SampleSpeed, ACountThatWentDownShowsTheAverage) {
    SpeedState s;
    s.startTick = 0;
    s.bytesDone = 4000000;
    SampleSpeedAt(s, 1000);
    s.bytesDone = 3000000;
    SampleSpeedAt(s, 2000);
    EXPECT_DOUBLE_EQ(s.speed, 3000000.0 / 2.0);
}
TEST(SampleSpeed, AStallShowsTheAverageNotZero) {
    SpeedState s;
    s.startTick = 0;
    s.bytesDone = 10000;
    for (uint64_t t = 7000; t <= 10000; t += 300) SampleSpeedAt(s, t);
    EXPECT_DOUBLE_EQ(s.speed, 10000.0 / 10.0);
    SpeedState idle;
    idle.startTick = 0;
    SampleSpeedAt(idle, 5000);  // nothing done at all
    EXPECT_EQ(idle.speed, 0.0);
}

// 2 MB/s from the start, sampled every 300 ms up to end.
void CopySteadily(SpeedState& s, uint64_t from, uint64_t end, uint64_t bytesAtFrom) {
    for (uint64_t t = from; t <= end; t += 300) {
        s.bytesDone = bytesAtFrom + (t - from) * 2000;
        SampleSpeedAt(s, t);
    }
}

TEST(SampleSpeed, APauseIsNeitherSpeedNorTime) {
    SpeedState s;
    s.startTick = 0;
    CopySteadily(s, 300, 3900, 600000);
    ASSERT_DOUBLE_EQ(s.speed, 2000000.0);
    uint64_t atPause = s.bytesDone;
    PauseSpeedAt(s, true, 4000);
    SampleSpeedAt(s, 4200);
    EXPECT_EQ(s.speed, 0.0);
    EXPECT_FALSE(SecondsLeft(s, 100000000, 4200));
    SampleSpeedAt(s, 13900);  // ten seconds later, nothing moved
    PauseSpeedAt(s, false, 14000);
    EXPECT_EQ(RunningMs(s, 14000), 4000u);
    s.bytesDone = atPause + 400 * 2000;  // 100 ms before the pause, 300 ms after it
    SampleSpeedAt(s, 14300);
    // The rate spans running time only: the pause neither slows it nor stalls it.
    EXPECT_DOUBLE_EQ(s.speed, 2000000.0);
    ASSERT_TRUE(SecondsLeft(s, s.bytesDone + 6000000, 14300));
    EXPECT_DOUBLE_EQ(*SecondsLeft(s, s.bytesDone + 6000000, 14300), 3.0);
}

TEST(SampleSpeed, SkippedBytesAreNeitherSpeedNorTimeLeft) {
    SpeedState s;
    s.startTick = 0;
    // 40 MB of up-to-date files counted at once, then 1 MB/s copied.
    for (uint64_t t = 300; t <= 4200; t += 300) {
        s.skippedBytes = 40000000;
        s.bytesDone = s.skippedBytes + t * 1000;
        SampleSpeedAt(s, t);
    }
    EXPECT_DOUBLE_EQ(s.speed, 1000000.0);
    EXPECT_DOUBLE_EQ(*SecondsLeft(s, s.bytesDone + 5000000, 4200), 5.0);
    // The average over the start counts copied bytes only.
    SpeedState start;
    start.startTick = 0;
    start.skippedBytes = 40000000;
    start.bytesDone = start.skippedBytes + 1000000;
    SampleSpeedAt(start, 1000);
    EXPECT_DOUBLE_EQ(start.speed, 1000000.0);
}

TEST(SecondsLeft, AppearsAfterTwoSecondsOfCopying) {
    SpeedState s;
    s.startTick = 0;
    // Five seconds of planning and skipping before the first byte is copied.
    for (uint64_t t = 300; t <= 4800; t += 300) SampleSpeedAt(s, t);
    CopySteadily(s, 5100, 6900, 0);
    ASSERT_GT(s.speed, 0.0);
    EXPECT_FALSE(SecondsLeft(s, 100000000, 6900));
    CopySteadily(s, 7200, 7200, 4200000);
    ASSERT_TRUE(SecondsLeft(s, 100000000, 7200));
    EXPECT_DOUBLE_EQ(*SecondsLeft(s, 100000000, 7200), (100000000.0 - 4200000) / s.speed);
    // Nothing left, or no speed: no estimate.
    EXPECT_FALSE(SecondsLeft(s, s.bytesDone, 7200));
    s.speed = 0;
    EXPECT_FALSE(SecondsLeft(s, 100000000, 7200));
}

}  // namespace
}  // namespace zrw
