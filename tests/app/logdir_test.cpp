// The log folder, the program path, the trace and UTF-8 files.
#include "app/logdir.h"
#include "app/process.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <regex>

namespace zrw {
namespace {

using TempOverride = test::TempFolderAt;

TEST(LogFolder, LivesUnderTheTemporaryFolder) {
    test::TempDir dir;
    TempOverride temp(dir.path() + L"\\");
    EXPECT_EQ(TempFolder(), dir.path());
    EXPECT_EQ(LogFolder(), dir.path() + L"\\zerrow");
}

TEST(LogFolder, DriveRootKeepsItsSeparatorAndGetsAnother) {
    TempOverride temp(L"C:\\");
    EXPECT_EQ(TempFolder(), L"C:\\");
    EXPECT_EQ(LogFolder(), L"C:\\\\zerrow");
    EnsureLogFolder();
    EXPECT_TRUE(WriteUtf8File(LogFolder() + L"\\probe.txt", L"ok"));
    EXPECT_EQ(test::ReadBytes(L"C:\\zerrow\\probe.txt"), "ok");
    test::RemoveTree(L"C:\\zerrow");
}

TEST(Utf8File, WritesExactlyTheTextWithoutByteOrderMark) {
    test::TempDir dir;
    std::wstring path = dir / L"报告.txt";
    EXPECT_TRUE(WriteUtf8File(path, L"一\r\n😀 x\n"));
    EXPECT_EQ(test::ReadBytes(path), "\xE4\xB8\x80\r\n\xF0\x9F\x98\x80 x\n");
    EXPECT_TRUE(WriteUtf8File(path, L""));  // truncates
    EXPECT_TRUE(test::Exists(path));
    EXPECT_EQ(test::ReadBytes(path), "");
    EXPECT_FALSE(WriteUtf8File(dir / L"missing\\x.txt", L"x"));
}

TEST(Trace, DecidedOncePerProcess) {
    ASSERT_EQ(GetEnvironmentVariableW(L"ZRW_TRACE", nullptr, 0), 0u)
        << "the test needs to start without ZRW_TRACE";
    test::TempDir dir;
    TempOverride temp(dir.path());
    TraceLog(L"first %d", 1);
    SetEnvironmentVariableW(L"ZRW_TRACE", L"1");
    TraceLog(L"second %d", 2);
    SetEnvironmentVariableW(L"ZRW_TRACE", nullptr);
    EXPECT_FALSE(test::Exists(dir / L"zerrow\\trace.txt"));
}

// The switch is read once per process, so each case is a fresh Zerrow.exe,
// with a temporary folder of the test's own.
class TraceChild : public test::IsolatedTest {
protected:
    test::ProcessResult RunDryRunWithoutSources() { return test::RunZerrow({L"--dryrun"}); }
    const std::wstring trace_ = LogFolder() + L"\\trace.txt";
    test::EnvGuard switch_{L"ZRW_TRACE", nullptr};
};

TEST_F(TraceChild, UnsetMeansNoTraceFile) {
    EXPECT_EQ(RunDryRunWithoutSources().exitCode, 2u);
    EXPECT_FALSE(test::Exists(trace_));
}

TEST_F(TraceChild, AnyValueEvenZeroSwitchesItOn) {
    // An empty file left behind counts as new.
    ASSERT_TRUE(test::WriteBytesDeep(trace_, ""));
    SetEnvironmentVariableW(L"ZRW_TRACE", L"0");
    EXPECT_EQ(RunDryRunWithoutSources().exitCode, 2u);
    SetEnvironmentVariableW(L"ZRW_TRACE", L"a value longer than eight characters");
    EXPECT_EQ(RunDryRunWithoutSources().exitCode, 2u);
    std::string text = test::ReadBytes(trace_);
    // One byte-order mark when the file was created, then one line per call.
    ASSERT_EQ(text.rfind("\xEF\xBB\xBF", 0), 0u) << text;
    std::regex line("\\d+ start mode=\\d+ sources=0\n");
    std::string body = text.substr(3);
    std::smatch m;
    int lines = 0;
    while (std::regex_search(body, m, line) && m.position(0) == 0) {
        ++lines;
        body = m.suffix();
    }
    EXPECT_EQ(lines, 2) << text;
    EXPECT_EQ(body, "");
}

// Another process holding the trace open to append does not shut a second one out.
TEST_F(TraceChild, AProcessAppendsWhileAnotherHoldsTheTrace) {
    ASSERT_TRUE(test::WriteBytesDeep(trace_, "\xEF\xBB\xBF"));
    UniqueFile other(CreateFileW(trace_.c_str(), FILE_APPEND_DATA,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                 nullptr));
    ASSERT_TRUE(other);
    SetEnvironmentVariableW(L"ZRW_TRACE", L"1");
    EXPECT_EQ(RunDryRunWithoutSources().exitCode, 2u);
    EXPECT_NE(test::ReadBytes(trace_).find("start mode="), std::string::npos);
}

TEST(ModulePathRead, GivesThisProgramsPath) {
    std::wstring path;
    ASSERT_TRUE(ModulePath(nullptr, path));
    EXPECT_GT(path.size(), 12u);
    EXPECT_EQ(path.substr(path.size() - 12), L"test_app.exe");
    EXPECT_NE(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

// Wine's CreateProcessW refuses a program beyond MAX_PATH, so the deep copy
// is loaded as a module instead of started.
TEST(ModulePathRead, PathDeeperThanMaxPathIsReadWhole) {
    test::TempDir dir;
    std::wstring folder = L"\\\\?\\" + dir.path();
    while (folder.size() < 300) {
        folder += L"\\一个很长的文件夹名字-folder";
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    }
    std::wstring exe = folder + L"\\Zerrow.exe";
    ASSERT_TRUE(CopyFileW(test::ZerrowExe().c_str(), exe.c_str(), FALSE));
    HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_NE(module, nullptr) << GetLastError();
    std::wstring path;
    bool read = ModulePath(module, path);
    FreeLibrary(module);
    ASSERT_TRUE(read);
    EXPECT_EQ(path.size(), exe.size() - 4);
    EXPECT_EQ(lstrcmpiW(path.c_str(), exe.c_str() + 4), 0) << test::WideToUtf8(path);
}

}  // namespace
}  // namespace zrw
