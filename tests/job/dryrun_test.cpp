// The dry run's file: lines per source, refusals, exit codes.
#include "app/logdir.h"
#include "job/job.h"
#include "robo/robo.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

namespace zrw {
namespace {

const std::wstring kSwitches = L" /XJ /SPARSE /COPY:DAT /DCOPY:DAT /R:1 /W:1 /MT:8 /NFL /NDL /NP";

std::wstring DryRunFile() { return LogFolder() + L"\\dryrun.txt"; }

enum Source { kFolder, kFile };
std::wstring Line(const std::wstring& arguments, Source source, bool move = false) {
    std::wstring moved = L" /IS /IT";  // robocopy only copies; the program deletes
    return L"\"" + RobocopyPath() + L"\" " + arguments + (source == kFolder ? L" /E" : L"") +
           kSwitches + (move ? moved : L"") + L" /LOG+:\"" + DryRunFile() + L"\"\r\n";
}

std::string Utf8(const std::wstring& text) { return test::WideToUtf8(text); }

// In the test's own log folder.
using DryRun = test::IsolatedTest;

TEST_F(DryRun, FolderSourceIsPlannedAndNamedAfterItsFolder) {
    ASSERT_TRUE(test::WriteBytesDeep(dir / L"照片 2024\\a.jpg", "12345"));
    ASSERT_TRUE(test::WriteBytesDeep(dir / L"照片 2024\\sub\\b.jpg", "123"));
    EXPECT_EQ(WriteDryRun({dir / L"照片 2024\\"}, L"X:\\out\\\\", false), 0);
    EXPECT_EQ(test::ReadBytes(DryRunFile()),
              Utf8(L"src=1 bytes=8 items=2\r\n" +
                   Line(L"\"" + dir.path() + L"\\照片 2024\" \"X:\\out\\照片 2024\"", kFolder)));
    ASSERT_EQ(g_job.sources.size(), 1u);
    EXPECT_EQ(g_job.destination, L"X:\\out");
    EXPECT_EQ(g_job.logPath, DryRunFile());
    EXPECT_EQ(g_job.totalBytes, 8u);
    EXPECT_EQ(g_job.totalFiles, 2u);
    EXPECT_FALSE(g_job.move);
}

TEST_F(DryRun, FileSourceMovedNamesItsFolderAndItsName) {
    ASSERT_TRUE(test::WriteBytes(dir / L"b.txt", "abcdefghij"));
    EXPECT_EQ(WriteDryRun({dir / L"b.txt"}, L"X:\\out", true), 0);
    EXPECT_EQ(test::ReadBytes(DryRunFile()),
              Utf8(L"src=1 bytes=10 items=1\r\n" +
                   Line(L"\"" + dir.path() + L"\" \"X:\\out\" \"b.txt\"", kFile, true)));
    EXPECT_TRUE(g_job.move);
}

TEST_F(DryRun, FileInADriveRoot) {
    std::wstring name = L"zrw-dryrun-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
    std::wstring path = L"C:\\" + name;
    ASSERT_TRUE(test::WriteBytes(path, "1234567"));
    int code = WriteDryRun({path}, L"X:\\out", false);
    test::RemoveTree(path);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(test::ReadBytes(DryRunFile()),
              Utf8(L"src=1 bytes=7 items=1\r\n" +
                   Line(L"\"C:\\\\\" \"X:\\out\" \"" + name + L"\"", kFile)));
}

// Drive roots and the system's own folders are copied even in a move; a
// missing source drops out of the plan silently.
TEST_F(DryRun, DriveRootAndProtectedFoldersAreNeverMoved) {
    ASSERT_TRUE(test::WriteBytesDeep(dir / L"mine\\x.bin", "xy"));
    EXPECT_EQ(WriteDryRun({L"C:\\", dir / L"missing", dir / L"mine"}, L"X:\\out", true), 0);
    // A drive root is not counted, so the totals are the file made here.
    EXPECT_EQ(test::ReadBytes(DryRunFile()),
              Utf8(L"src=2 bytes=2 items=1\r\n" + Line(L"\"C:\\\\\" \"X:\\out\"", kFolder) +
                   Line(L"\"" + dir.path() + L"\\mine\" \"X:\\out\\mine\"", kFolder, true)));
    // What the system's folder holds is not the test's to count.
    EXPECT_EQ(WriteDryRun({L"c:\\programdata\\"}, L"X:\\out", true), 0);
    std::string text = test::ReadBytes(DryRunFile());
    EXPECT_EQ(text.substr(0, 6), "src=1 ");
    EXPECT_EQ(text.substr(text.find("\r\n") + 2),
              Utf8(Line(L"\"c:\\programdata\" \"X:\\out\\programdata\"", kFolder)));
}

TEST_F(DryRun, NothingToPlanWritesTheZeroLineAndReturns2) {
    ASSERT_TRUE(test::WriteBytes(dir / L"b.txt", "abc"));
    ASSERT_EQ(WriteDryRun({dir / L"b.txt"}, L"X:\\out", true), 0);
    EXPECT_EQ(WriteDryRun({dir / L"nope", dir / L"nope\\deeper.txt"}, L"X:\\out", false), 2);
    EXPECT_EQ(test::ReadBytes(DryRunFile()), "src=0 bytes=0 items=0\r\n");
    EXPECT_TRUE(g_job.sources.empty());  // the earlier run's record is gone
    EXPECT_FALSE(g_job.move);
    EXPECT_EQ(g_job.logPath, DryRunFile());
}

}  // namespace
}  // namespace zrw
