// The verification's summary, log and the command line's verify mode.
#include "app/lang.h"
#include "app/logdir.h"
#include "tests/support/support.h"
#include "verify/verify.h"

#include <gtest/gtest.h>

namespace zrw {
namespace {

// The log folder is the test's own, made here as the program makes it.
class VerifyReport : public test::IsolatedTest {
protected:
    void SetUp() override { EnsureLogFolder(); }
    static std::wstring LogFile() { return LogFolder() + L"\\verify-last.log"; }
    static std::string Log() { return test::ReadBytes(LogFile()); }
};

VerifyResult Result(uint64_t compared, uint64_t differing, bool aborted,
                    std::vector<std::wstring> samples = {}) {
    VerifyResult r;
    r.compared = compared;
    r.differing = differing;
    r.aborted = aborted;
    r.samples = std::move(samples);
    return r;
}

TEST_F(VerifyReport, SummaryInBothLanguages) {
    EXPECT_EQ(VerifySummary(Result(120, 0, false)), L"校验: 120 个文件全一致");
    EXPECT_EQ(VerifySummary(Result(120, 3, false)), L"校验: 3 / 120 个对不上");
    EXPECT_EQ(VerifySummary(Result(57, 9, true)), L"校验中断: 已核对 57 个");
    UiLang = kLangEn;
    EXPECT_EQ(VerifySummary(Result(0, 0, false)), L"Verify: 0 files, all identical");
    EXPECT_EQ(VerifySummary(Result(1200000, 3, false, {L"D:\\bk\\a.txt"})),
              L"Verify: 3 / 1200000 differ\n  D:\\bk\\a.txt");
    EXPECT_EQ(VerifySummary(Result(57, 2, true,
                                   {L"D:\\x", L"D:\\bk\\photos\\2019(no such folder in target)"})),
              L"Verify aborted: checked 57 files\n  D:\\x\n  D:\\bk\\photos\\2019(no such folder "
              L"in target)");
}

TEST_F(VerifyReport, LogIsOneLineOrLinesJoinedByLineFeedsEndingInCrLf) {
    WriteVerifyLog(LogFolder(), Result(4, 0, false));
    EXPECT_EQ(Log(), test::WideToUtf8(L"校验: 4 个文件全一致") + "\r\n");
    UiLang = kLangEn;
    WriteVerifyLog(LogFolder(),
                   Result(9, 2, false, {L"E:\\备份\\a.txt", L"E:\\b(no such folder in target)"}));
    EXPECT_EQ(Log(), test::WideToUtf8(L"Verify: 2 / 9 differ\n  E:\\备份\\a.txt\n"
                                      L"  E:\\b(no such folder in target)\r\n"));
}

TEST_F(VerifyReport, VerifyModeExitCodesAndLog) {
    for (int i = 0; i < 7; ++i) {
        std::string content = "file " + std::to_string(i);
        std::wstring name =
            L"照片\\" + std::to_wstring(i % 3) + L"\\" + std::to_wstring(i) + L".jpg";
        ASSERT_TRUE(test::WriteBytesDeep(dir / (L"src\\" + name), content));
        ASSERT_TRUE(test::WriteBytesDeep(dir / (L"dst\\" + name), content));
    }
    ASSERT_TRUE(test::WriteBytes(dir / L"src\\note.txt", "n"));
    ASSERT_TRUE(test::WriteBytes(dir / L"dst\\note.txt", "n"));
    UiLang = kLangEn;
    std::vector<std::wstring> sources = {dir / L"src\\照片\\", dir / L"src\\missing",
                                         dir / L"src\\note.txt"};
    EXPECT_EQ(RunVerifyMode(sources, dir / L"dst"), 0);
    EXPECT_EQ(Log(), "Verify: 8 files, all identical\r\n");

    ASSERT_TRUE(test::WriteBytes(dir / L"dst\\照片\\1\\4.jpg", "FILE 4"));
    EXPECT_EQ(RunVerifyMode(sources, dir / L"dst"), 4);
    EXPECT_EQ(Log(), test::WideToUtf8(L"Verify: 1 / 8 differ\n  " + dir.path() +
                                      L"\\dst\\照片\\1\\4.jpg\r\n"));

    // A destination that does not exist: every file and sub-folder differs.
    EXPECT_EQ(RunVerifyMode({dir / L"src\\照片"}, dir / L"nowhere"), 4);
    EXPECT_EQ(Log().substr(0, 22), "Verify: 3 / 0 differ\n ");

    DeleteFileW(LogFile().c_str());
    EXPECT_EQ(RunVerifyMode({dir / L"gone", dir / L"gone2"}, dir / L"dst"), 2);
    EXPECT_FALSE(test::Exists(LogFile()));
}

// Through the whole mode: a tree past 300 characters is compared file by file.
TEST_F(VerifyReport, VerifyModeReachesLongPaths) {
    std::vector<std::wstring> files =
        test::WriteDeepTree(dir / L"src\\长路径", (dir / L"dst").size() + 320);
    test::WriteDeepTree(dir / L"dst\\长路径", (dir / L"dst").size() + 320);
    UiLang = kLangEn;
    EXPECT_EQ(RunVerifyMode({dir / L"src\\长路径"}, dir / L"dst"), 0);
    EXPECT_EQ(Log(), "Verify: " + std::to_string(files.size()) + " files, all identical\r\n");
    std::wstring deepest = dir / L"dst" + files.back().substr((dir / L"src").size());
    ASSERT_GT(deepest.size(), 320u);
    std::string same = test::ReadBytes(deepest);
    same[0] = 'C';
    ASSERT_TRUE(test::WriteBytes(deepest, same));
    EXPECT_EQ(RunVerifyMode({dir / L"src\\长路径"}, dir / L"dst"), 4);
    EXPECT_EQ(Log(), test::WideToUtf8(L"Verify: 1 / " + std::to_wstring(files.size()) +
                                      L" differ\n  " + deepest + L"\r\n"));
}

}  // namespace
}  // namespace zrw
