// The native engine's runs: counts, moves, cancel, threads that cannot start, worker counts.
#include "engine/driver.h"
#include "base/paths.h"
#include "engine/copyfile.h"
#include "engine/safety.h"
#include "engine/scan.h"
#include "tests/support/support.h"
#include "verify/verify.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <thread>

namespace zrw {
namespace {

using test::ResetStats;

std::string Utf8(const std::wstring& s) { return test::WideToUtf8(s); }

// Standard output redirected into a file for the duration of one run.
class CapturedOutput {
public:
    explicit CapturedOutput(const std::wstring& path) : path_(path) {
        file_.reset(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                CREATE_ALWAYS, 0, nullptr));
        old_ = GetStdHandle(STD_OUTPUT_HANDLE);
        SetStdHandle(STD_OUTPUT_HANDLE, file_.get());
    }
    ~CapturedOutput() { SetStdHandle(STD_OUTPUT_HANDLE, old_); }
    std::string Text() {
        SetStdHandle(STD_OUTPUT_HANDLE, old_);
        file_.reset();
        return test::ReadBytes(path_);
    }

private:
    std::wstring path_;
    UniqueFile file_;
    HANDLE old_;
};

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override { ResetStats(); }
    // A failure on a machine out of reach is explained by its job log.
    void TearDown() override {
        ResetStats();
        if (HasFailure()) std::printf("job log:\n%s\n", test::ReadBytes(Log()).c_str());
    }
    std::wstring Log() const { return dir / L"logs\\copy-test.log"; }
    std::string LogText() const { return test::WithoutRecords(test::ReadBytes(Log())); }
    test::TempDir dir;
};

TEST_F(EngineTest, CopiesATreeThenASecondRunSkipsEverything) {
    std::wstring src = dir / L"源 😀";
    ASSERT_TRUE(test::WriteBytesDeep(src + L"\\中文名.txt", "你好"));
    ASSERT_TRUE(test::WriteBytesDeep(src + L"\\one\\a.bin", std::string(1500000, 'a')));
    ASSERT_TRUE(test::WriteBytesDeep(src + L"\\two\\b.bin", std::string(2048, 'b')));
    ASSERT_TRUE(test::WriteBytesDeep(src + L"\\two\\🎉.bin", ""));
    FILETIME old{0x22222222, 0x01C00000};
    ASSERT_TRUE(test::SetWriteTime(src + L"\\one", old));
    CapturedOutput out(dir / L"stdout.txt");
    auto* params = new EngineParams{{src}, dir / L"dst\\", false, Log()};
    g_engineFinished = false;
    UniqueHandle thread(CreateThread(nullptr, 0, EngineThread, params, 0, nullptr));
    ASSERT_TRUE(thread);
    ASSERT_EQ(WaitForSingleObject(thread.get(), 30000), WAIT_OBJECT_0);
    EXPECT_TRUE(g_engineFinished.load());
    EXPECT_EQ(g_engineResult.load(), 0);
    std::string text = out.Text();
    EXPECT_EQ(text.substr(0, text.find('\n') + 1),
              "计划: 4 个文件 / 1.4 MB / 3 个子目录   线程=8   引擎=系统 CopyFile2\n");
    EXPECT_NE(text.find("\ncopied=4 skipped=0 failed=0 bytes=1502054 secs="), std::string::npos)
        << text;
    EXPECT_EQ(test::TreeContents(dir / L"dst\\源 😀"), test::TreeContents(src));
    FILETIME got = test::WriteTime(dir / L"dst\\源 😀\\one");
    EXPECT_EQ(CompareFileTime(&got, &old), 0);
    EXPECT_EQ(LogText(), "\xEF\xBB\xBF");  // created, and nothing went wrong

    ResetStats();
    EXPECT_EQ(RunEngine({src}, dir / L"dst", false, Log()), 0);
    EXPECT_EQ(g_stats.filesCopied.load(), 0u);
    EXPECT_EQ(g_stats.filesSkipped.load(), 4u);
    EXPECT_EQ(g_stats.bytesDone.load(), 1502054u);
    EXPECT_EQ(g_stats.tasksFinished.load(), 4u);
}

TEST_F(EngineTest, MoveWithALockedFileKeepsItsFoldersAndSaysSo) {
    std::wstring src = dir / L"src";
    ASSERT_TRUE(test::WriteBytesDeep(src + L"\\a.txt", "a"));
    ASSERT_TRUE(test::WriteBytesDeep(src + L"\\sub\\locked.txt", "locked"));
    ASSERT_TRUE(test::WriteBytesDeep(src + L"\\sub\\free.txt", "free"));
    ASSERT_TRUE(test::WriteBytesDeep(src + L"\\gone\\x.txt", "x"));
    auto before = test::TreeContents(src);
    UniqueFile held(CreateFileW((src + L"\\sub\\locked.txt").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    // Windows refuses to rename a folder with an open file inside, Wine does
    // not: an existing target folder makes both move file by file.
    ASSERT_TRUE(CreateDirectoryW((dir / L"dst").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((dir / L"dst\\src").c_str(), nullptr));
    EXPECT_EQ(RunEngine({src + L"\\"}, dir / L"dst", true, Log()), 1);
    held.reset();
    EXPECT_EQ(test::TreeContents(dir / L"dst\\src"), before);
    EXPECT_EQ(g_stats.filesCopied.load(), 4u);
    EXPECT_EQ(g_stats.filesFailed.load(), 1u);
    EXPECT_TRUE(test::Exists(src + L"\\sub\\locked.txt"));
    EXPECT_FALSE(test::Exists(src + L"\\sub\\free.txt"));
    EXPECT_FALSE(test::Exists(src + L"\\a.txt"));
    EXPECT_FALSE(test::Exists(src + L"\\gone"));  // emptied by the move
    EXPECT_EQ(LogText(),
              "\xEF\xBB\xBF移动失败(已复制但删不掉源) " + Utf8(src + L"\\sub\\locked.txt") +
                  "\n源目录没删净(里面有跳过/失败的文件, 留着更安全) " + Utf8(src) + "\n");
}

TEST_F(EngineTest, CancelDuringAMoveRemovesNoFolderAndLosesNoFile) {
    std::wstring src = dir / L"src";
    std::vector<std::pair<std::wstring, std::string>> files;
    for (int folder = 0; folder < 4; ++folder)
        for (int file = 0; file < 6; ++file) {
            std::wstring rel = L"f" + std::to_wstring(folder) + L"\\" + std::to_wstring(file);
            std::string content((1 << 20) + folder * 1000 + file, static_cast<char>('a' + file));
            ASSERT_TRUE(test::WriteBytesDeep(src + L"\\" + rel, content));
            files.emplace_back(rel, content);
        }
    test::RenamesRefused acrossVolumes;
    std::atomic<int32_t> result{-1};
    std::thread run([&] { result = RunEngine({src}, dir / L"dst", true, Log(), 2); });
    test::WaitUntil([&] { return g_stats.bytesDone.load() > 0 || result != -1; }, 30000);
    g_stats.pause = true;  // hold the copies in flight
    g_stats.cancel = true;
    g_stats.userCancel = TRUE;
    run.join();
    EXPECT_EQ(result.load(), 3);
    EXPECT_LT(g_stats.filesCopied.load(), files.size());
    for (int folder = 0; folder < 4; ++folder)
        EXPECT_TRUE(test::Exists(src + L"\\f" + std::to_wstring(folder)));
    for (const auto& [rel, content] : files) {
        bool inSource = test::Exists(src + L"\\" + rel);
        bool inDestination = test::Exists(dir / L"dst\\src\\" + rel);
        EXPECT_TRUE(inSource || inDestination) << Utf8(rel);
        if (inSource) {
            EXPECT_EQ(test::ReadBytes(src + L"\\" + rel), content);
        }
        if (inDestination) {
            EXPECT_EQ(test::ReadBytes(dir / L"dst\\src\\" + rel), content);
        }
    }
}

// What a move could not empty stays as it was: a folder whose listing was
// refused fails the run and keeps its files, and a read-only folder that
// still holds a locked file keeps its read-only bit.
TEST_F(EngineTest, WhatAMoveCannotEmptyStaysAsItWas) {
    std::wstring src = dir / L"src";
    ASSERT_TRUE(test::WriteBytesDeep(src + L"\\a.txt", "a"));
    ASSERT_TRUE(test::WriteBytesDeep(src + L"\\closed\\inside.txt", "inside"));
    ASSERT_TRUE(test::WriteBytesDeep(src + L"\\ro\\held.txt", "held"));
    ASSERT_TRUE(SetFileAttributesW((src + L"\\ro").c_str(), FILE_ATTRIBUTE_READONLY));
    // Wine keeps no read-only bit on folders; Windows does.
    bool folderBitsKept = GetFileAttributesW((src + L"\\ro").c_str()) & FILE_ATTRIBUTE_READONLY;
    UniqueFile held(CreateFileW((src + L"\\ro\\held.txt").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    int32_t result = 0;
    {
        test::ClosedFoldersRefused refused;
        result = RunEngine({src}, dir / L"dst", true, Log());
    }
    held.reset();
    EXPECT_EQ(result, 1);
    EXPECT_EQ(test::ReadBytes(src + L"\\closed\\inside.txt"), "inside");
    EXPECT_FALSE(test::Exists(dir / L"dst\\src\\closed\\inside.txt"));
    EXPECT_EQ(test::ReadBytes(dir / L"dst\\src\\a.txt"), "a");
    EXPECT_NE(LogText().find("读不了目录(里面的文件没复制) " + Utf8(src + L"\\closed")),
              std::string::npos);
    DWORD ro = GetFileAttributesW((src + L"\\ro").c_str());
    ASSERT_NE(ro, INVALID_FILE_ATTRIBUTES);
    if (folderBitsKept) {
        EXPECT_TRUE(ro & FILE_ATTRIBUTE_READONLY);
    }
    SetFileAttributesW((src + L"\\ro").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(EngineTest, TwoRunsShareOneLogAndMissingSourcesEndWithTwo) {
    CapturedOutput out(dir / L"stdout.txt");
    EXPECT_EQ(RunEngine({dir / L"missing one\\"}, dir / L"dst", false, Log()), 2);
    EXPECT_EQ(RunEngine({dir / L"缺失"}, dir / L"dst", false, Log()), 2);
    // The log says why each run ended, not only the console.
    const std::string nothing = "没有可复制的源（路径不存在或无权限）\n";
    EXPECT_EQ(LogText(), "\xEF\xBB\xBF源不存在 " + Utf8(dir / L"missing one") + "\n" + nothing +
                             "源不存在 " + Utf8(dir / L"缺失") + "\n" + nothing);
    EXPECT_EQ(out.Text(),
              "没有可复制的源（路径不存在或无权限）\n没有可复制的源（路径不存在或无权限）\n");
    EXPECT_FALSE(test::Exists(dir / L"dst"));
}

TEST_F(EngineTest, UnmakeableDestinationEndsWithTwo) {
    ASSERT_TRUE(test::WriteBytes(dir / L"a.txt", "a"));
    ASSERT_TRUE(test::WriteBytes(dir / L"blocker", "file"));
    CapturedOutput out(dir / L"stdout.txt");
    EXPECT_EQ(RunEngine({dir / L"a.txt"}, dir / L"blocker\\dst", false, Log()), 2);
    EXPECT_EQ(out.Text().rfind("建不了目标目录 " + Utf8(dir / L"blocker\\dst") + " (错误 ", 0), 0u);
    EXPECT_NE(LogText().find("建不了目标目录 " + Utf8(dir / L"blocker\\dst") + " (错误 "),
              std::string::npos);
    EXPECT_EQ(g_stats.filesCopied.load(), 0u);
}

TEST_F(EngineTest, EmptyFolderSourceIsCreated) {
    CreateDirectoryW((dir / L"empty").c_str(), nullptr);
    EXPECT_EQ(RunEngine({dir / L"empty"}, dir / L"dst", false, Log()), 0);
    EXPECT_TRUE(test::Exists(dir / L"dst\\empty"));
}

TEST_F(EngineTest, ThreadsThatCannotStartDoNotHangTheRun) {
    test::WriteFiles(dir / L"src", 20, 1);
    test::RenamesRefused acrossVolumes;
    ThreadStarter saved = g_startThread;
    static std::atomic<int> calls;
    // The pool starts, then only its first worker.
    calls = 0;
    g_startThread = [](LPTHREAD_START_ROUTINE entry, void* param) -> HANDLE {
        return ++calls > 2 ? nullptr : CreateThread(nullptr, 0, entry, param, 0, nullptr);
    };
    EXPECT_EQ(RunEngine({dir / L"src"}, dir / L"dst", true, Log(), 8), 1);
    EXPECT_LT(g_stats.tasksFinished.load(), 20u);
    // Nothing starts at all.
    ResetStats();
    g_startThread = [](LPTHREAD_START_ROUTINE, void*) -> HANDLE { return nullptr; };
    EXPECT_EQ(RunEngine({dir / L"src"}, dir / L"dst2", true, Log(), 8), 1);
    g_startThread = saved;
    EXPECT_EQ(g_stats.tasksFinished.load(), 0u);
    EXPECT_EQ(
        test::TreeContents(dir / L"src").size() + test::TreeContents(dir / L"dst\\src").size(),
        20u);  // every file still in one place
}

TEST_F(EngineTest, DeepCjkTreePastThreeHundredCharactersIsCopiedByteForByte) {
    std::wstring src = dir / L"深层";
    std::vector<std::wstring> files = test::WriteDeepTree(src, 320);
    const uint64_t bytes = test::DeepTreeBytes(files.size());
    ScanResult scan = ScanSources({src});
    CopyPlan plan = BuildPlan({src}, dir / L"out");
    EXPECT_EQ(scan.totalFiles, files.size());
    EXPECT_EQ(scan.totalBytes, bytes);
    EXPECT_EQ(plan.fileCount, files.size());
    EXPECT_EQ(plan.totalBytes, bytes);
    EXPECT_EQ(RunEngine({src}, dir / L"out", false, Log()), 0);
    EXPECT_EQ(test::TreeContents(dir / L"out\\深层"), test::TreeContents(src));

    // A top-level source whose own path is past the limit.
    ResetStats();
    std::wstring folder = PathParent(files.back());
    ASSERT_GT(folder.size(), 260u);
    EXPECT_EQ(RunEngine({folder}, dir / L"top", false, Log()), 0);
    EXPECT_EQ(g_stats.filesCopied.load(), 1u);
    EXPECT_EQ(test::ReadBytes(dir / L"top\\" + PathName(folder) + L"\\数据.bin"),
              test::ReadBytes(folder + L"\\数据.bin"));
}

// The rotating-disk path (one worker) runs on any machine when asked for.
TEST_F(EngineTest, WorkersComeFromTheEnvironmentWhenSet) {
    test::WriteFiles(dir / L"src", 3, 1);
    const std::pair<const wchar_t*, const char*> cases[] = {
        {L"1", "线程=1 "}, {L"9", "线程=8 "}, {L"", "线程=8 "}};
    for (const auto& [value, expected] : cases) {
        test::EnvGuard workers(L"ZRW_WORKERS", *value ? value : nullptr);
        CapturedOutput out(dir / L"stdout.txt");
        EXPECT_EQ(RunEngine({dir / L"src"}, dir / (std::wstring(L"dst") + value), false, Log()), 0);
        EXPECT_NE(out.Text().find(expected), std::string::npos) << Utf8(value);
    }
    EXPECT_EQ(test::TreeContents(dir / L"dst1\\src"), test::TreeContents(dir / L"src"));
}

FileIdentity IdentityOf(const std::wstring& path) {
    FileIdentity identity;
    EXPECT_TRUE(ReadIdentity(path, identity)) << Utf8(path);
    return identity;
}

// Within one volume the files themselves move (same identity), whether the
// whole folder goes in one rename or file by file onto an existing one, and
// the counts and log are those of a copy-and-delete.
TEST_F(EngineTest, MovesWithinAVolumeByRename) {
    std::wstring src = dir / L"移动 😀";
    ASSERT_TRUE(test::WriteBytesDeep(src + L"\\a.txt", "aa"));
    ASSERT_TRUE(test::WriteBytesDeep(src + L"\\sub\\深\\b.bin", std::string(3000, 'b')));
    auto before = test::TreeContents(src);
    FileIdentity deep = IdentityOf(src + L"\\sub\\深\\b.bin");
    EXPECT_EQ(RunEngine({src}, dir / L"dst", true, Log()), 0);
    EXPECT_EQ(test::TreeContents(dir / L"dst\\移动 😀"), before);
    EXPECT_EQ(IdentityOf(dir / L"dst\\移动 😀\\sub\\深\\b.bin"), deep);
    EXPECT_FALSE(test::Exists(src));
    EXPECT_EQ(g_stats.filesCopied.load(), 2u);
    EXPECT_EQ(g_stats.bytesDone.load(), 3002u);

    // Onto an existing folder whose older read-only file is replaced.
    ResetStats();
    std::wstring again = dir / L"again";
    ASSERT_TRUE(test::WriteBytesDeep(again + L"\\a.txt", "new"));
    ASSERT_TRUE(test::WriteBytesDeep(again + L"\\b.txt", "bee"));
    ASSERT_TRUE(test::WriteBytesDeep(dir / L"dst\\again\\a.txt", "older and longer"));
    ASSERT_TRUE(SetFileAttributesW((dir / L"dst\\again\\a.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    FileIdentity moved = IdentityOf(again + L"\\b.txt");
    EXPECT_EQ(RunEngine({again}, dir / L"dst", true, Log()), 0);
    EXPECT_EQ(test::ReadBytes(dir / L"dst\\again\\a.txt"), "new");
    EXPECT_EQ(IdentityOf(dir / L"dst\\again\\b.txt"), moved);
    EXPECT_FALSE(test::Exists(again));
    EXPECT_EQ(g_stats.filesCopied.load(), 2u);
    EXPECT_EQ(g_stats.filesFailed.load(), 0u);
    EXPECT_EQ(LogText().rfind(
                  "\xEF\xBB\xBF替换 " + Utf8(dir / L"dst\\again\\a.txt") + " (旧的 16 字节, ", 0),
              0u);
    SetFileAttributesW((dir / L"dst\\again\\a.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A Linux memory file system is another volume to Wine: its rename is
// refused, and the move copies and deletes instead.
TEST_F(EngineTest, AMoveAcrossVolumesCopiesAndDeletes) {
    std::wstring shm = L"Z:\\dev\\shm";
    if (GetFileAttributesW(shm.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "no second volume here";
    std::wstring src = shm + L"\\zrw-" + std::to_wstring(GetCurrentProcessId()) + L"-跨卷";
    ASSERT_TRUE(test::WriteBytesDeep(src + L"\\one.txt", "one"));
    ASSERT_TRUE(test::WriteBytesDeep(src + L"\\sub\\two.bin", std::string(70000, 't')));
    auto before = test::TreeContents(src);
    int32_t result = RunEngine({src}, dir / L"dst", true, Log());
    bool sourceLeft = test::Exists(src);
    test::RemoveTree(src);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(test::TreeContents(dir / L"dst\\" + PathName(src)), before);
    EXPECT_FALSE(sourceLeft);
    EXPECT_FALSE(g_renameMoves.load());  // the volumes were found to differ
    EXPECT_EQ(g_stats.filesCopied.load(), 2u);
    EXPECT_EQ(LogText(), "\xEF\xBB\xBF");
}

// Only links are passed over. Cloud placeholders, deduplicated files and a
// cloud folder hold data of their own, and a file named like a temporary is
// a user's file: all are counted, copied, verified and moved; a symbolic link
// and a mount point stay where they are.
TEST_F(EngineTest, OnlyLinksArePassedOver) {
    std::wstring src = dir / L"src";
    const std::vector<std::wstring> data = {L"cloud.docx", L"dedup.vhd", L"OneDrive\\photo.jpg",
                                            L"~ZRW0000ABCD.TMP", L"a.txt.~zrw0000abcd"};
    for (const std::wstring& name : data)
        ASSERT_TRUE(test::WriteBytesDeep(src + L"\\" + name, "x"));
    ASSERT_TRUE(test::WriteBytesDeep(src + L"\\symlink\\behind.txt", "behind a link"));
    ASSERT_TRUE(test::WriteBytesDeep(src + L"\\mount\\behind.txt", "another volume"));
    test::ReparseTagsListed tags({{L"cloud.docx", 0x9000001A},
                                  {L"dedup.vhd", 0x80000013},
                                  {L"OneDrive", 0x9000701A},
                                  {L"symlink", 0xA000000C},
                                  {L"mount", 0xA0000003}});
    ScanResult scan = ScanSources({src});
    ASSERT_EQ(scan.items.size(), 1u);
    EXPECT_EQ(scan.items[0].files, data.size());
    EXPECT_EQ(RunEngine({src}, dir / L"copy", false, Log()), 0);
    VerifyResult verified = VerifyTree(scan.items, dir / L"copy");
    EXPECT_EQ(verified.compared, data.size());
    EXPECT_EQ(verified.differing, 0u);

    ResetStats();
    test::RenamesRefused acrossVolumes;
    EXPECT_EQ(RunEngine({src}, dir / L"moved", true, Log()), 0);
    EXPECT_EQ(g_stats.filesCopied.load(), data.size());
    for (const std::wstring& name : data) {
        EXPECT_EQ(test::ReadBytes(dir / L"moved\\src\\" + name), "x") << Utf8(name);
        EXPECT_FALSE(test::Exists(src + L"\\" + name)) << Utf8(name);
    }
    EXPECT_EQ(test::CountFiles(src), 2u);  // the two behind links
    EXPECT_FALSE(test::Exists(dir / L"moved\\src\\symlink"));
}

TEST(ThreadCount, ProbesWriteTheirLines) {
    test::TempDir dir;
    // Wine answers no volume's seek-penalty query: unknown counts as no penalty.
    EXPECT_EQ(QuerySeekPenalty(L"\\\\srv\\share"), SeekPenalty::Unknown);
    EXPECT_EQ(ThreadCountFor({L"\\\\srv\\share\\x", dir.path()}, dir / L"dst"), 8);
    EXPECT_EQ(DumpThreadPick(L"C:\\a", L"\\\\srv\\s", dir / L"pick.txt"), 0);
    EXPECT_EQ(test::ReadBytes(dir / L"pick.txt"),
              "src=C:\\a dst=\\\\srv\\s mtSrc=8 mtDst=8 mt=8\n");
    EXPECT_EQ(DumpThreadCount(L"D:\\数据", dir / L"mt.txt"), 0);
    EXPECT_EQ(test::ReadBytes(dir / L"mt.txt"), "dir=D:\\数据 mt=8\n");
    EXPECT_EQ(DumpThreadCount(L"C:\\", dir / L"no\\such\\mt.txt"), 1);
}

}  // namespace
}  // namespace zrw
