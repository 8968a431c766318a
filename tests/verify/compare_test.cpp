// Tree comparison: differences, missing folders, long paths, drive roots.
#include "app/lang.h"
#include "engine/scan.h"
#include "tests/support/support.h"
#include "verify/verify.h"

#include <gtest/gtest.h>

namespace zrw {
namespace {

using Files = std::vector<std::pair<std::wstring, std::string>>;

void MakeTree(const std::wstring& root, const Files& files) {
    for (const auto& [relative, content] : files)
        ASSERT_TRUE(test::WriteBytesDeep(root + L"\\" + relative, content)) << relative;
}

using test::FileItem;
using test::FolderItem;

using test::Listing;

class Verify : public ::testing::Test {
protected:
    void SetUp() override {
        VerifiedBytes = 0;
        VerifyProgressHook = nullptr;
    }
    void TearDown() override {
        VerifyProgressHook = nullptr;
        UiLang = kLangZh;
    }
    test::TempDir dir;
    std::wstring src = dir / L"src";
    std::wstring dst = dir / L"dst";
};

TEST_F(Verify, IdenticalTreesAndFilesCompareEveryByte) {
    const Files files = {{L"相册\\empty.txt", ""},
                         {L"相册\\big.bin", test::Noise(2621440, 'a')},  // three chunks
                         {L"相册\\子目录\\😀.txt", "emoji"},
                         {L"相册\\a\\b\\c\\d.txt", "deep"},
                         {L"单个.txt", "single file"}};
    MakeTree(src, files);
    MakeTree(dst, files);
    ASSERT_TRUE(CreateDirectoryW((src + L"\\相册\\空").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((dst + L"\\相册\\空").c_str(), nullptr));
    VerifyResult r = VerifyTree(
        {FolderItem(src + L"\\相册", L"相册"), FileItem(src + L"\\单个.txt", L"单个.txt")},
        dst + L"\\\\");
    EXPECT_EQ(r.compared, 5u);
    EXPECT_EQ(r.differing, 0u);
    EXPECT_FALSE(r.aborted);
    EXPECT_TRUE(r.samples.empty());
    EXPECT_EQ(VerifiedBytes, 2621440u + 5 + 4 + 11);
}

// Same size other content, other sizes, a change in the second chunk only, a
// missing file, a folder where a file should be; two empty files are equal.
TEST_F(Verify, SixDifferencesAreCountedAndTheFirstFiveNamed) {
    const std::string big = test::Noise(1048576 + 100, 'q');
    std::string bigChanged = big;
    bigChanged.back() ^= 1;  // only the second chunk differs
    MakeTree(src, {{L"f\\1.txt", "same size"},
                   {L"f\\2.txt", "longer"},
                   {L"f\\3.bin", big},
                   {L"f\\4.txt", "missing"},
                   {L"f\\5.txt", "abc"},
                   {L"f\\6.txt", ""},
                   {L"f\\7.txt", "fine"},
                   {L"f\\8.txt", "also fine"}});
    MakeTree(dst, {{L"f\\1.txt", "SAME SIZE"},
                   {L"f\\2.txt", "long"},
                   {L"f\\3.bin", bigChanged},
                   {L"f\\5.txt", "abd"},
                   {L"f\\6.txt", ""},
                   {L"f\\7.txt", "fine"},
                   {L"f\\8.txt", "also fine"},
                   {L"f\\extra.txt", "not in the source"}});
    ASSERT_TRUE(CreateDirectoryW((dst + L"\\f\\4.txt.d").c_str(), nullptr));
    ASSERT_TRUE(test::WriteBytes(src + L"\\f\\9.txt", "a folder at the destination"));
    ASSERT_TRUE(CreateDirectoryW((dst + L"\\f\\9.txt").c_str(), nullptr));

    VerifyResult r = VerifyTree({FolderItem(src + L"\\f", L"f")}, dst);
    EXPECT_EQ(r.compared, 9u);
    EXPECT_EQ(r.differing, 6u);
    std::vector<std::wstring> expected;
    for (const std::wstring& name : Listing(src + L"\\f"))
        if (name != L"6.txt" && name != L"7.txt" && name != L"8.txt" && expected.size() < 5)
            expected.push_back(dst + L"\\f\\" + name);
    EXPECT_EQ(r.samples, expected);
    // The missing file adds nothing; the others add the source's size.
    EXPECT_EQ(VerifiedBytes, 9u + 6 + big.size() + 3 + 0 + 4 + 9 + 27);
}

TEST_F(Verify, MissingSubFolderCountsOnceWithItsTextInEitherLanguage) {
    MakeTree(src, {{L"photos\\2019\\a.jpg", "a"},
                   {L"photos\\2019\\deeper\\b.jpg", "b"},
                   {L"photos\\top.jpg", "t"}});
    MakeTree(dst, {{L"photos\\top.jpg", "t"}, {L"photos\\2019", "a file, not a folder"}});
    std::vector<SourceItem> items = {FolderItem(src + L"\\photos", L"photos")};

    VerifyResult zh = VerifyTree(items, dst);
    EXPECT_EQ(zh.compared, 1u);
    EXPECT_EQ(zh.differing, 1u);
    EXPECT_EQ(zh.samples, std::vector<std::wstring>{dst + L"\\photos\\2019（目标里没这个目录）"});

    UiLang = kLangEn;
    test::RemoveTree(dst + L"\\photos\\2019");
    VerifyResult en = VerifyTree(items, dst);
    EXPECT_EQ(en.differing, 1u);
    EXPECT_EQ(en.samples,
              std::vector<std::wstring>{dst + L"\\photos\\2019(no such folder in target)"});
}

TEST_F(Verify, MissingTopLevelFolderCountsItsFilesAndSubFoldersNotItself) {
    MakeTree(src, {{L"gone\\a.txt", "a"},
                   {L"gone\\b.txt", "b"},
                   {L"gone\\sub\\c.txt", "c"},
                   {L"gone\\sub2\\d.txt", "d"}});
    VerifyResult r = VerifyTree({FolderItem(src + L"\\gone", L"gone")}, dst);
    EXPECT_EQ(r.compared, 2u);
    EXPECT_EQ(r.differing, 4u);
    EXPECT_EQ(r.samples.size(), 4u);
    EXPECT_EQ(VerifiedBytes, 0u);
}

TEST_F(Verify, ASourceHeldOpenWithoutReadSharingDiffers) {
    MakeTree(src, {{L"locked.db", "content"}});
    MakeTree(dst, {{L"locked.db", "content"}});
    {
        UniqueFile hold(CreateFileW((src + L"\\locked.db").c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                    nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(hold);
        uint64_t bytes = 0;
        EXPECT_FALSE(SameFile(src + L"\\locked.db", dst + L"\\locked.db", bytes));
        EXPECT_EQ(bytes, 7u);  // the attributes were readable
    }
    uint64_t bytes = 0;
    EXPECT_TRUE(SameFile(src + L"\\locked.db", dst + L"\\locked.db", bytes));
}

int g_hookCalls = 0;
bool StopAfterTen(uint64_t) { return ++g_hookCalls < 10; }

TEST_F(Verify, HookStopsTheWalkAfterTheTenthFile) {
    Files files;
    for (int i = 0; i < 8; ++i) files.push_back({L"a\\" + std::to_wstring(i) + L".txt", "x"});
    for (int i = 0; i < 8; ++i) files.push_back({L"a\\sub\\" + std::to_wstring(i) + L".txt", "y"});
    for (int i = 0; i < 3; ++i) files.push_back({L"b\\" + std::to_wstring(i) + L".txt", "z"});
    MakeTree(src, files);
    MakeTree(dst, files);
    g_hookCalls = 0;
    VerifyProgressHook = StopAfterTen;
    VerifyResult r = VerifyTree({FolderItem(src + L"\\a", L"a"), FolderItem(src + L"\\b", L"b"),
                                 FileItem(src + L"\\b\\0.txt", L"0.txt")},
                                dst);
    EXPECT_TRUE(r.aborted);
    EXPECT_EQ(r.compared, 10u);
    EXPECT_EQ(g_hookCalls, 10);
    EXPECT_EQ(r.differing, 0u);
    EXPECT_EQ(VerifiedBytes, 10u);
}

// Every level is compared, however deep: a change 300 levels down is found.
TEST_F(Verify, ADifferenceThreeHundredLevelsDownIsFound) {
    std::vector<std::wstring> files =
        test::WriteDeepTree(src + L"\\top", (src + L"\\top").size() + 2 * 300, L"d");
    test::WriteDeepTree(dst + L"\\top", (dst + L"\\top").size() + 2 * 300, L"d");
    const std::wstring deepest = dst + files.back().substr(src.size());
    ASSERT_TRUE(test::WriteBytes(deepest, std::string(400, 'C')));
    VerifyResult r = VerifyTree({FolderItem(src + L"\\top", L"top")}, dst);
    EXPECT_EQ(r.compared, 300u);
    EXPECT_EQ(r.differing, 1u);
    EXPECT_EQ(r.samples, std::vector<std::wstring>{deepest});
}

// A source folder that cannot be listed was never compared: a difference,
// named as such, not an identical copy.
TEST_F(Verify, ASourceFolderThatCannotBeListedDiffers) {
    MakeTree(src, {{L"top\\a.txt", "a"}, {L"top\\closed\\b.txt", "b"}});
    MakeTree(dst, {{L"top\\a.txt", "a"}, {L"top\\closed\\b.txt", "b"}});
    VerifyResult r;
    {
        test::ClosedFoldersRefused refused;
        r = VerifyTree({FolderItem(src + L"\\top", L"top")}, dst);
    }
    EXPECT_EQ(r.compared, 1u);
    EXPECT_EQ(r.differing, 1u);
    EXPECT_EQ(r.samples, std::vector<std::wstring>{src + L"\\top\\closed（源目录读不了）"});
}

// Deep trees under CJK names: every file past 260 characters is compared,
// and a same-size change deep down is found and named as given.
TEST_F(Verify, PathsLongerThan300CharactersAreCompared) {
    std::vector<std::wstring> files = test::WriteDeepTree(src + L"\\深层", 300);
    test::WriteDeepTree(dst + L"\\深层", 300);
    const std::wstring deepest = dst + files.back().substr(src.size());
    ASSERT_GT(deepest.size(), 300u);
    std::vector<SourceItem> items = {FolderItem(src + L"\\深层", L"深层")};
    VerifyResult r = VerifyTree(items, dst);
    EXPECT_EQ(r.compared, files.size());
    EXPECT_EQ(r.differing, 0u);

    std::string changed = test::ReadBytes(deepest);
    changed[50] ^= 0x55;  // same size
    ASSERT_TRUE(test::WriteBytes(deepest, changed));
    r = VerifyTree(items, dst);
    EXPECT_EQ(r.compared, files.size());
    EXPECT_EQ(r.differing, 1u);
    EXPECT_EQ(r.samples, std::vector<std::wstring>{deepest});
}

std::vector<DWORD> g_openFlags;
HANDLE RecordingOpener(const std::wstring& path, DWORD flags) {
    g_openFlags.push_back(flags);
    return CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, flags, nullptr);
}
// A volume that will not read past its cache, as some shares and
// third-party file systems answer.
HANDLE CacheOnlyOpener(const std::wstring& path, DWORD flags) {
    if (flags & FILE_FLAG_NO_BUFFERING) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    return RecordingOpener(path, flags);
}

// Wine reads through its cache whatever it is asked; Windows reads the disk
// only when asked, and the comparison asks for both sides. Where a volume
// refuses, the cache is compared and the report says so.
TEST_F(Verify, BothSidesAreReadFromTheDiskOrTheReportSaysNot) {
    MakeTree(src, {{L"t\\a.bin", test::Noise(1048576 + 7, 'm')}, {L"t\\b.txt", "b"}});
    MakeTree(dst, {{L"t\\a.bin", test::Noise(1048576 + 7, 'm')}, {L"t\\b.txt", "b"}});
    std::vector<SourceItem> items = {FolderItem(src + L"\\t", L"t")};
    g_openFlags.clear();
    {
        test::Replaced<VerifyOpener> recording(g_openForVerify, RecordingOpener);
        VerifyResult r = VerifyTree(items, dst);
        EXPECT_EQ(r.differing, 0u);
        EXPECT_EQ(r.cachedFiles, 0u);
    }
    EXPECT_EQ(g_openFlags, std::vector<DWORD>(4, kMediaReadFlags));

    test::Replaced<VerifyOpener> cacheOnly(g_openForVerify, CacheOnlyOpener);
    VerifyResult r = VerifyTree(items, dst);
    EXPECT_EQ(r.compared, 2u);
    EXPECT_EQ(r.differing, 0u);
    EXPECT_EQ(r.cachedFiles, 2u);
    EXPECT_EQ(VerifySummary(r), L"校验: 2 个文件全一致\n2" +
                                    Tr(L" 个文件所在的卷不让绕过缓存读，比对的是系统缓存里的内容"));
}

// Wine lifts the 260-character limit for plain paths as well, so the deep-tree
// tests above pass either way; this is what keeps Windows from refusing them.
TEST(ComparisonPath, LongFormWithoutDoubledSeparators) {
    EXPECT_EQ(ComparisonPath(L"D:\\\\bk\\a.txt"), L"\\\\?\\D:\\bk\\a.txt");
    EXPECT_EQ(ComparisonPath(L"D:\\bk\\\\*"), L"\\\\?\\D:\\bk\\*");
    EXPECT_EQ(ComparisonPath(L"C:/a//b\\c"), L"\\\\?\\C:\\a\\b\\c");
    EXPECT_EQ(ComparisonPath(L"\\\\nas\\share\\\\x"), L"\\\\?\\UNC\\nas\\share\\x");
    EXPECT_EQ(ComparisonPath(L"\\\\?\\C:\\a"), L"\\\\?\\C:\\a");
    EXPECT_EQ(ComparisonPath(L"rel\\\\x"), L"rel\\x");
}

// A drive root as destination joins to D:\\name; the file system is still
// asked for the one folder meant.
TEST_F(Verify, DriveRootDestination) {
    std::wstring name = L"zrw-verify-" + std::to_wstring(GetCurrentProcessId());
    MakeTree(src, {{name + L"\\a.txt", "a"}, {name + L"\\s\\b.txt", "b"}});
    MakeTree(L"C:", {{name + L"\\a.txt", "a"}, {name + L"\\s\\b.txt", "B"}});
    VerifyResult r = VerifyTree({FolderItem(src + L"\\" + name, name)}, L"C:\\");
    test::RemoveTree(L"C:\\" + name);
    EXPECT_EQ(r.compared, 2u);
    EXPECT_EQ(r.differing, 1u);
    EXPECT_EQ(r.samples, std::vector<std::wstring>{L"C:\\\\" + name + L"\\s\\b.txt"});
}

}  // namespace
}  // namespace zrw
