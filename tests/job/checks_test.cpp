// The checks before a job's first byte: room, files a FAT disk cannot hold, a
// destination that can be written; what each refuses and what may go on.
#include "engine/conflicts.h"
#include "engine/copyfile.h"
#include "engine/driver.h"
#include "engine/preflight.h"
#include "job/job.h"
#include "tests/support/dialogs.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

namespace zrw {
namespace {

std::wstring Fat32(const std::wstring&) { return L"FAT32"; }
std::wstring ExFat(const std::wstring&) { return L"exFAT"; }

// Bytes not written: same files of a copy, files the policy leaves, and the
// old bytes a replaced file gives back.
TEST(BytesToWrite, LessWhatTheJobLeavesOrFrees) {
    ConflictSummary summary;
    summary.sameBytes = 10;
    summary.differing = {{L"newer", 100, 70, {}, Existing::Newer},
                         {L"older", 200, 50, {}, Existing::Older}};
    EXPECT_EQ(BytesToWrite(1000, summary, ConflictPolicy::Replace, false), 1000u - 10 - 70 - 50);
    EXPECT_EQ(BytesToWrite(1000, summary, ConflictPolicy::Older, false), 1000u - 10 - 100 - 50);
    EXPECT_EQ(BytesToWrite(1000, summary, ConflictPolicy::Skip, false), 1000u - 10 - 100 - 200);
    EXPECT_EQ(BytesToWrite(1000, summary, ConflictPolicy::KeepBoth, false), 990u);
    EXPECT_EQ(BytesToWrite(1000, summary, ConflictPolicy::Replace, true), 1000u - 70 - 50);
}

// Each check on its own; a refused destination is not left made.
TEST(CheckBeforeFirstByte, RoomFatAndAWritableDestination) {
    test::TempDir dir;
    const std::vector<LargeFile> large{{dir / L"disk.vhd", 5ull << 30}};
    {
        test::Replaced<FileSystemNamer> fat(g_fileSystemOf, Fat32);
        Preflight p = CheckBeforeFirstByte(dir / L"out\\sub", 10, large);
        ASSERT_EQ(p.tooLarge.size(), 1u);
        EXPECT_FALSE(p.NoRoom());
        EXPECT_EQ(p.unwritable, 0u);
        EXPECT_FALSE(test::Exists(dir / L"out"));
    }
    test::Replaced<FileSystemNamer> exfat(g_fileSystemOf, ExFat);
    EXPECT_TRUE(CheckBeforeFirstByte(dir / L"out", 10, large).Clear());
    EXPECT_TRUE(CheckBeforeFirstByte(dir / L"out", UINT64_MAX / 2, {}).NoRoom());
    ASSERT_TRUE(test::WriteBytes(dir / L"a-file", "x"));
    EXPECT_NE(CheckBeforeFirstByte(dir / L"a-file\\out", 10, {}).unwritable, 0u);
    EXPECT_TRUE(test::Exists(dir / L"a-file"));
}

// Only where too large files alone are in the way may the rest be copied;
// those files then fail, named, without a try.
TEST(PassesChecksBeforeFirstByte, OffersTheFilesThatFitOnAFatDisk) {
    test::TempDir dir;
    test::TempFolderAt temp(dir.path());
    test::Replaced<FileSystemNamer> fat(g_fileSystemOf, Fat32);
    ResetJob();
    g_job.destination = dir / L"out";
    g_job.logPath = dir / L"job.log";
    g_job.largeFiles = {{dir / L"disk.vhd", 5ull << 30}};
    g_job.silent = true;
    EXPECT_FALSE(PassesChecksBeforeFirstByte(g_job, nullptr));
    g_job.silent = false;
    bool passed = false;
    test::AnsweredBox box =
        test::AnswerBox([&] { passed = PassesChecksBeforeFirstByte(g_job, nullptr); }, IDYES);
    ASSERT_TRUE(box.shown);
    EXPECT_NE(box.text.find(dir / L"disk.vhd"), std::wstring::npos);
    EXPECT_TRUE(passed);
    EXPECT_EQ(g_job.maxFileSize, (4ull << 30) - 1);

    test::ResetStats();
    ASSERT_TRUE(test::WriteBytes(dir / L"four.bin", "1234"));
    g_maxFileSize = 3;
    CopyOneFile({dir / L"four.bin", dir / L"copy.bin", 4, 0, {}});
    g_maxFileSize = UINT64_MAX;
    EXPECT_EQ(g_stats.filesFailed.load(), 1u);
    EXPECT_FALSE(test::Exists(dir / L"copy.bin"));
}

}  // namespace
}  // namespace zrw
