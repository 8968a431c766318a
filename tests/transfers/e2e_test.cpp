// Copies and moves through Zerrow.exe, as a user or a script starts them.
#include "app/logdir.h"
#include "tests/transfers/helpers.h"

#include <gtest/gtest.h>

namespace zrw::test {
namespace {

using Transfers = EngineTransfers;
INSTANTIATE_TEST_SUITE_P(BothEngines, Transfers, ::testing::Values(kRobo, kNative), EngineName);

TEST_P(Transfers, CopyOfMixedTreeIsIdenticalAndLandsUnderItsName) {
    WriteMixedTree(dir / L"src\\Photos");
    WriteBytesDeep(dir / L"src\\single.txt", "one file");
    ProcessResult r =
        Run({L"copy", dir / L"src\\Photos", dir / L"src\\single.txt", L"--dest", dir / L"out"});
    ASSERT_TRUE(r.started);
    EXPECT_EQ(r.exitCode, 0u) << r.err;
    EXPECT_EQ(TreeDigest(dir / L"out\\Photos"), TreeDigest(dir / L"src\\Photos"));
    EXPECT_EQ(FolderList(dir / L"out\\Photos"), FolderList(dir / L"src\\Photos"));
    EXPECT_EQ(ReadBytes(dir / L"out\\single.txt"), "one file");
    EXPECT_FALSE(Exists(dir / L"out\\Photos\\Photos"));
    EXPECT_EQ(CountFiles(dir / L"src"), 7u);  // the sources are untouched
}

TEST_P(Transfers, MoveLeavesNoSourceAndLosesNothing) {
    WriteMixedTree(dir / L"src\\Photos");
    WriteBytesDeep(dir / L"src\\single.txt", "one file");
    auto before = TreeDigest(dir / L"src\\Photos");
    auto foldersBefore = FolderList(dir / L"src\\Photos");
    ProcessResult r =
        Run({L"move", dir / L"src\\Photos", dir / L"src\\single.txt", L"--dest", dir / L"out"});
    EXPECT_EQ(r.exitCode, 0u) << r.err;
    EXPECT_EQ(TreeDigest(dir / L"out\\Photos"), before);
    EXPECT_EQ(FolderList(dir / L"out\\Photos"), foldersBefore);
    EXPECT_EQ(ReadBytes(dir / L"out\\single.txt"), "one file");
    EXPECT_FALSE(Exists(dir / L"src\\Photos"));
    EXPECT_FALSE(Exists(dir / L"src\\single.txt"));
}

// A source that is not there is a failure the user is told about, never a
// quiet success; with nothing left to do the job ends with 2.
TEST_P(Transfers, AMissingSourceIsNamedAndFailsTheJob) {
    WriteBytesDeep(dir / L"src\\here\\f.txt", "here");
    ProcessResult r =
        Run({L"copy", dir / L"src\\here", dir / L"src\\typo.txt", L"--dest", dir / L"out"});
    EXPECT_EQ(r.exitCode, 1u) << r.err;
    EXPECT_EQ(ReadBytes(dir / L"out\\here\\f.txt"), "here");
    const std::string named = WideToUtf8(L"源不存在 " + (dir / L"src\\typo.txt"));
    EXPECT_NE(r.out.find(named), std::string::npos) << r.out;
    EXPECT_NE(ReadBytes(LatestJobLog()).find(named), std::string::npos);

    r = Run({L"copy", dir / L"src\\gone", dir / L"src\\also gone", L"--dest", dir / L"out2"});
    EXPECT_EQ(r.exitCode, 2u);
    EXPECT_FALSE(Exists(dir / L"out2"));
    EXPECT_NE(r.out.find(WideToUtf8(L"源不存在 " + (dir / L"src\\also gone"))), std::string::npos);
}

// Its folder is a drive root, the one path that ends in a backslash.
TEST_P(Transfers, AFileInADriveRootIsCopied) {
    std::wstring file = L"C:\\zrwtest-root-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
    ASSERT_TRUE(WriteBytes(file, "at the root"));
    ProcessResult r = Run({L"copy", file, L"--dest", dir / L"out"});
    DeleteFileW(file.c_str());
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_EQ(ReadBytes(dir / (L"out" + file.substr(2))), "at the root");
}

// Destination files of the same size and time are taken as up to date by
// both engines, so a changed byte survives the copy and only verification sees it.
void PlantDifferences(const std::wstring& src, const std::wstring& out, int differing, int same) {
    for (int i = 0; i < differing + same; ++i) {
        std::wstring name = L"f" + std::to_wstring(i) + L".bin";
        std::string content(100 + i, static_cast<char>('a' + i));
        WriteBytesDeep(src + L"\\" + name, content);
        if (i >= differing) continue;
        content[50] ^= 1;
        WriteBytesDeep(out + L"\\" + name, content);
        SetWriteTime(out + L"\\" + name, WriteTime(src + L"\\" + name));
    }
}

// The verifier reports samples in listing order, so the expectation is built
// from the same listing.
std::string ExpectedVerifyLog(const std::wstring& src, const std::wstring& out, int differing,
                              int total) {
    std::wstring text =
        L"Verify: " + std::to_wstring(differing) + L" / " + std::to_wstring(total) + L" differ";
    int samples = 0;
    for (const std::wstring& name : Listing(src))
        if (std::stoi(name.substr(1)) < differing && samples++ < 5)
            text += L"\n  " + out + L"\\" + name;
    return WideToUtf8(text + L"\r\n");
}

TEST_P(Transfers, VerifyFindsDifferencesInSilentAndNormalMode) {
    std::wstring src = dir / L"data", out = dir / L"out";
    PlantDifferences(src, out + L"\\data", 6, 3);
    std::string expected = ExpectedVerifyLog(src, out + L"\\data", 6, 9);
    std::wstring log = LogFolder() + L"\\verify-last.log";
    for (bool silent : {true, false}) {
        DeleteFileW(log.c_str());
        std::vector<std::wstring> args{L"copy",     src,          L"--dest", out,
                                       L"--verify", L"--lang:en", GetParam()};
        if (silent) args.push_back(L"--silent");
        ProcessResult r = RunZerrow(args);
        EXPECT_EQ(r.exitCode, 4u) << (silent ? "silent" : "normal");
        EXPECT_EQ(ReadBytes(log), expected) << (silent ? "silent" : "normal");
    }
}

TEST_P(Transfers, CleanCopyVerifiesAndAMoveVerifiesWhatItCopied) {
    WriteMixedTree(dir / L"src\\Photos");
    std::wstring log = LogFolder() + L"\\verify-last.log";
    DeleteFileW(log.c_str());
    ProcessResult r =
        Run({L"copy", dir / L"src\\Photos", L"--dest", dir / L"out", L"--verify", L"--lang:en"});
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_EQ(ReadBytes(log), "Verify: 6 files, all identical\r\n");

    DeleteFileW(log.c_str());
    r = Run({L"move", dir / L"src\\Photos", L"--dest", dir / L"moved", L"--verify", L"--lang:en"});
    EXPECT_EQ(r.exitCode, 0u);
    // robocopy copies within a volume too; the built-in engine renames, which
    // moves no bytes and leaves nothing to compare.
    if (std::wstring(GetParam()) == kRobo)
        EXPECT_EQ(ReadBytes(log), "Verify: 6 files, all identical\r\n");
    else EXPECT_FALSE(Exists(log));
    EXPECT_EQ(CountFiles(dir / L"moved\\Photos"), 6u);
}

using VerifyMode = ProgramTest;
using EngineAgreement = ProgramTest;
using RobocopyExitCodes = ProgramTest;
using RobocopyMissing = ProgramTest;

TEST_F(VerifyMode, ACorrectCopyOfNFilesIsAllIdentical) {
    WriteMixedTree(dir / L"src\\Photos");
    WriteBytesDeep(dir / L"src\\single.txt", "one file");
    ASSERT_EQ(RunZerrow({L"copy", dir / L"src\\Photos", dir / L"src\\single.txt", L"--dest",
                         dir / L"out", kNative, L"--silent"})
                  .exitCode,
              0u);
    std::wstring log = LogFolder() + L"\\verify-last.log";
    ASSERT_FALSE(Exists(log));
    ProcessResult r = RunZerrow({L"verify", dir / L"src\\Photos", dir / L"src\\single.txt",
                                 L"--dest", dir / L"out", L"--lang:en"});
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_EQ(ReadBytes(log), "Verify: 7 files, all identical\r\n");
}

// Both engines put a folder source at destination\name, so their trees agree.
TEST_F(EngineAgreement, NativeAndRobocopyBuildTheSameTree) {
    WriteMixedTree(dir / L"src\\Photos");
    EXPECT_EQ(
        RunZerrow({L"copy", dir / L"src\\Photos", L"--dest", dir / L"robo", kRobo, L"--silent"})
            .exitCode,
        0u);
    EXPECT_EQ(
        RunZerrow({L"copy", dir / L"src\\Photos", L"--dest", dir / L"native", kNative, L"--silent"})
            .exitCode,
        0u);
    EXPECT_EQ(TreeDigest(dir / L"native"), TreeDigest(dir / L"robo"));
    EXPECT_EQ(FolderList(dir / L"native"), FolderList(dir / L"robo"));
    EXPECT_TRUE(Exists(dir / L"native\\Photos\\sub\\a.txt"));
}

TEST_F(RobocopyExitCodes, OnlyFailureBitsAndCrashesCountAsFailedSources) {
    WriteBytesDeep(dir / L"src\\f.txt", "x");
    const struct {
        const wchar_t* forced;
        DWORD exitCode;
    } cases[] = {{L"0", 0}, {L"1", 0}, {L"2", 0},  {L"3", 0},          {L"7", 0},
                 {L"8", 1}, {L"9", 1}, {L"16", 1}, {L"0xC0000005", 1}, {L"0xC0000142", 1}};
    for (const auto& c : cases) {
        EnvGuard forced(L"ZRW_FAKE_ROBO_EXIT", c.forced);
        ProcessResult r =
            RunZerrow({L"copy", dir / L"src", L"--dest", dir / L"out", kRobo, L"--silent"});
        EXPECT_EQ(r.exitCode, c.exitCode) << "robocopy exit " << WideToUtf8(c.forced);
    }
}

TEST_F(RobocopyMissing, EndsWithTwoBeforeAnythingIsCopied) {
    WriteBytesDeep(dir / L"src\\f.txt", "x");
    RobocopyHidden gone;
    ASSERT_TRUE(gone.hidden());
    ProcessResult r =
        RunZerrow({L"copy", dir / L"src", L"--dest", dir / L"out", kRobo, L"--silent"});
    EXPECT_EQ(r.exitCode, 2u);
    EXPECT_FALSE(Exists(dir / L"out"));
    // The native engine does not need it.
    r = RunZerrow({L"copy", dir / L"src", L"--dest", dir / L"out", kNative, L"--silent"});
    EXPECT_EQ(r.exitCode, 0u);
}

}  // namespace
}  // namespace zrw::test
