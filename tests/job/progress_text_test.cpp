// The texts of the in-window progress and end display, for both languages.
#include "app/lang.h"
#include "engine/scan.h"
#include "job/job.h"

#include <gtest/gtest.h>

namespace zrw {
namespace {

CopyJob JobOf(std::vector<std::wstring> paths, uint64_t total, uint64_t done) {
    CopyJob job;
    for (auto& p : paths) job.sources.push_back(SourceItem{p, {}, {}, 0, 0, true, {}});
    job.totalBytes = total;
    job.speed.bytesDone = done;
    job.speed.startTick = 1000;
    job.destination = L"D:\\backup\\";
    return job;
}

TEST(RunningTexts, PausedShowsNoSpeedAndNoTimeLeft) {
    CopyJob job = JobOf({L"C:\\data\\photos"}, 3070901616, 1289778679);
    job.speed.speed = 126353408;  // what the last sample before the pause said
    RunningDisplay d = RunningTexts(job, kLangEn, true, 6000);
    EXPECT_EQ(d.percent, 42);
    EXPECT_EQ(d.status, L"Paused   ·   42%   ·   1.20 GB / 2.86 GB");
    EXPECT_EQ(d.report,
              L"Current job:  photos    (1/1)\r\nCopied:  1.20 GB / 2.86 GB\r\nElapsed:  0:05\r\n"
              L"Speed:  —\r\nTime left:  —\r\nFailed:  0 items");
    EXPECT_EQ(d.failure, L"");
    EXPECT_EQ(d.caption, L"Zerrow Pro — Fast Copy — Copying 1/1");
    EXPECT_EQ(RunningTexts(job, kLangZh, true, 6000).status,
              L"已暂停   ·   42%   ·   1.20 GB / 2.86 GB");
}

TEST(RunningTexts, RunningEnglishExampleLineAfterTwoSecondsOfCopying) {
    CopyJob job = JobOf({L"C:\\data\\photos"}, 3070901616, 1289778679);
    job.speed.speed = 126353408;  // 120.50 MB/s
    // Under two seconds of copying there is a speed but no time left yet.
    EXPECT_EQ(
        RunningTexts(job, kLangEn, false, 2900).status,
        L"42%   ·   Speed: 120.50 MB/s   ·   1.20 GB / 2.86 GB   ·   Time left: Calculating…");
    RunningDisplay d = RunningTexts(job, kLangEn, false, 6000);
    EXPECT_EQ(d.status,
              L"42%   ·   Speed: 120.50 MB/s   ·   1.20 GB / 2.86 GB   ·   Time left: 0:14");
    EXPECT_NE(d.report.find(L"\r\nSpeed:  120.50 MB/s\r\nTime left:  0:14\r\n"), std::wstring::npos)
        << d.report;
}

TEST(RunningTexts, ZeroTotalHasNoPercentNoTotalAndNoEstimate) {
    CopyJob job = JobOf({L"C:\\a", L"C:\\"}, 0, 0);
    job.current = 1;
    job.move = true;
    job.failedSources = 1;
    RunningDisplay d = RunningTexts(job, kLangZh, false, 1400);
    EXPECT_EQ(d.percent, 0);
    EXPECT_EQ(d.status, L"速度: 计算中…   ·   0 B   ·   剩余时间: 正在计算…");
    // A drive root has no name of its own.
    EXPECT_EQ(d.report,
              L"当前作业:      (2/2)\r\n已复制:  0 B\r\n已用时间:  0:00\r\n速度:  计算中…"
              L"\r\n剩余时间:  正在计算…\r\n失败:  1 项");
    EXPECT_EQ(d.failure, L"失败 1 项");
    EXPECT_EQ(d.caption, L"泽若 快速复制 — 移动中 2/2");
}

TEST(RunningTexts, PastTheLastSourceNamesNoneAndPercentStaysAtMost100) {
    CopyJob job = JobOf({L"C:\\a"}, 100, 250);
    job.current = 1;
    job.speed.speed = 10;
    RunningDisplay d = RunningTexts(job, kLangEn, false, 2000);
    EXPECT_EQ(d.percent, 100);
    EXPECT_NE(d.report.find(L"Current job:  —    (2/1)"), std::wstring::npos) << d.report;
    // Nothing left to copy: no time estimate.
    EXPECT_NE(d.status.find(L"Time left: Calculating…"), std::wstring::npos) << d.status;
}

TEST(EndTexts, CancelledShowsCopiedBytesAndZeroProgress) {
    CopyJob job = JobOf({L"C:\\a"}, 4096, 1024);
    job.cancelled = true;
    job.failedSources = 2;  // a cancel wins over failures in the status and header
    EndDisplay d = EndTexts(job, kLangEn, 3000);
    EXPECT_EQ(d.position, 0);
    EXPECT_EQ(d.status, L"Cancelled · copied 1 KB");
    EXPECT_EQ(d.report,
              L"Last job:  cancelled\r\nCopied:  1 KB / 4 KB\r\nTime:  0:02\r\n"
              L"Destination:  D:\\backup\r\nAvg speed:  512 B/s");
    EXPECT_EQ(EndTexts(job, kLangZh, 3000).status, L"已取消 · 已复制 1 KB");
}

TEST(EndTexts, DoneAndFailedInChinese) {
    CopyJob job = JobOf({L"C:\\a"}, 2048, 2048);
    EndDisplay d = EndTexts(job, kLangZh, 6000);
    EXPECT_EQ(d.position, 100);
    EXPECT_EQ(d.status, L"已完成 · 2 KB / 2 KB · 用时 0:05");
    EXPECT_EQ(d.failure, L"");
    EXPECT_EQ(d.report,
              L"上次作业:  已完成\r\n已复制:  2 KB / 2 KB\r\n用时:  0:05\r\n"
              L"目标目录:  D:\\backup\r\n平均速度:  409 B/秒");
    job.failedSources = 1;
    job.logPath = L"C:\\t\\copy.log";
    d = EndTexts(job, kLangZh, 6000);
    EXPECT_EQ(d.status, L"有失败 · 2 KB / 2 KB · 用时 0:05");
    EXPECT_EQ(d.failure, L"1 项失败（日志：C:\\t\\copy.log）");
    EXPECT_EQ(d.report.rfind(L"上次作业:  有失败\r\n", 0), 0u) << d.report;
}

TEST(EndTexts, ShortElapsedGivesZeroAverage) {
    CopyJob job = JobOf({L"C:\\a"}, 0, 0);
    EndDisplay d = EndTexts(job, kLangEn, 1200);
    EXPECT_EQ(d.status, L"Done · 0 B · Time 0:00");
    EXPECT_NE(d.report.find(L"\r\nAvg speed:  0 B/s"), std::wstring::npos) << d.report;
}

TEST(EndTexts, FailureLineSwitchesToShortFormAbove40Characters) {
    CopyJob job = JobOf({L"C:\\a"}, 10, 10);
    job.failedSources = 3;
    // "3 items failed (log: " is 21 characters and ")" one more: a log path
    // of 18 characters makes exactly 40.
    job.logPath = std::wstring(18, L'x');
    EXPECT_EQ(EndTexts(job, kLangEn, 2000).failure, L"3 items failed (log: " + job.logPath + L")");
    job.logPath += L"y";
    EXPECT_EQ(EndTexts(job, kLangEn, 2000).failure, L"3 items failed (click ⋮ for the log)");
    job.logPath = L"C:\\users\\someone\\Temp\\zerrow\\copy-20260305-090700.log";
    EXPECT_EQ(EndTexts(job, kLangZh, 2000).failure, L"3 项失败（点「⋮」看日志）");
}

TEST(VerifyTexts, ItsOwnPercentAndTimeLeft) {
    SpeedState verify;
    verify.startTick = 10000;
    verify.bytesDone = 1024 * 1024;
    verify.speed = 512 * 1024;
    PhaseDisplay d = VerifyingDisplay(4 * 1024 * 1024, verify, kLangZh, 11000);
    EXPECT_EQ(d.percent, 25);
    EXPECT_EQ(d.status, L"校验中… 已核对 1.00 MB / 4.00 MB   ·   25%   ·   剩余时间: 正在计算…");
    d = VerifyingDisplay(4 * 1024 * 1024, verify, kLangEn, 12000);
    EXPECT_EQ(d.status, L"Verifying… checked 1.00 MB / 4.00 MB   ·   25%   ·   Time left: 0:06");
    EXPECT_EQ(VerifyingDisplay(0, verify, kLangEn, 12000).status,
              L"Verifying… checked 1.00 MB   ·   Time left: Calculating…");
}

TEST(VerifyTexts, ProgressAndDifferences) {
    EXPECT_EQ(VerifyingText(2048, kLangZh), L"校验中… 已核对 2 KB");
    EXPECT_EQ(VerifyingText(0, kLangEn), L"Verifying… checked 0 B");
    EXPECT_EQ(VerifyingText(2048, kLangEn, true), L"Writing the hash list… read 2 KB");
    EXPECT_EQ(VerifyDifferText(3, kLangZh), L"已完成，但校验有 3 个对不上");
    EXPECT_EQ(VerifyDifferText(1, kLangEn), L"Done, but verify found 1 differ");
    EXPECT_EQ(PercentOf(50, 0), 0);
    EXPECT_EQ(PercentOf(1, 3), 33);
}

}  // namespace
}  // namespace zrw
