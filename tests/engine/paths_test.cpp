// Path text, protected places and the long-path form.
#include "base/paths.h"
#include "engine/safety.h"
#include "engine/scan.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

namespace zrw {
namespace {

struct PathCase {
    const wchar_t* in;
    const wchar_t* out;
};

TEST(TrimSeparators, StopsAtThreeCharacters) {
    const PathCase cases[] = {{L"C:\\", L"C:\\"},
                              {L"C:\\a\\", L"C:\\a"},
                              {L"C:\\a\\/\\", L"C:\\a"},
                              {L"\\\\srv\\share\\", L"\\\\srv\\share"},
                              {L"ab/", L"ab/"},
                              {L"abcd//", L"abcd"},
                              {L"", L""}};
    for (const PathCase& c : cases) EXPECT_EQ(TrimSeparators(c.in), c.out) << c.in;
}

TEST(LongPath, PrefixesDrivesAndSharesOnly) {
    const PathCase cases[] = {
        {L"\\\\server\\share\\f.txt", L"\\\\?\\UNC\\server\\share\\f.txt"},
        {L"a/b", L"a\\b"},
        {L"C:/x/y", L"\\\\?\\C:\\x\\y"},
        {L"\\\\?\\C:\\x", L"\\\\?\\C:\\x"},
        {L"\\single", L"\\single"},
        {L"//srv/s", L"\\\\?\\UNC\\srv\\s"},
    };
    for (const PathCase& c : cases) EXPECT_EQ(LongPath(c.in), c.out) << c.in;
}

TEST(PathNameAndParent, FollowTheLastSeparator) {
    EXPECT_EQ(PathName(L"C:\\data\\"), L"data");
    EXPECT_EQ(PathName(L"C:\\data/sub"), L"sub");
    EXPECT_EQ(PathName(L"D:\\"), L"");
    EXPECT_EQ(PathName(L"D:"), L"");
    EXPECT_EQ(PathName(L"plain"), L"plain");
    EXPECT_EQ(PathParent(L"C:\\a.txt"), L"C:\\");
    EXPECT_EQ(PathParent(L"C:\\a\\b.txt"), L"C:\\a");
    EXPECT_EQ(PathParent(L"\\x"), L"\\x");
    EXPECT_EQ(PathParent(L"name"), L"name");
    EXPECT_EQ(AppendPath(L"C:\\", L"x"), L"C:\\x");
    EXPECT_EQ(AppendPath(L"C:\\a/", L"x"), L"C:\\a/x");
    EXPECT_EQ(AppendPath(L"C:\\a", L"x"), L"C:\\a\\x");
}

// A literal path keeps what Windows keeps in it: trailing dots and spaces,
// "." and "..", device names and volumes without a letter. Where the plain
// spelling means the same, that is the one spelling.
TEST(FullPath, ALiteralPathStaysLiteralUnlessPlainMeansTheSame) {
    const std::wstring volume = L"\\\\?\\Volume{0a1b2c3d-0000-0000-0000-000000000043}\\";
    const PathCase cases[] = {
        {L"\\\\?\\C:\\data\\foo.", L"\\\\?\\C:\\data\\foo."},
        {L"\\\\?\\C:\\data\\foo \\", L"\\\\?\\C:\\data\\foo "},
        {L"\\\\?\\C:\\data\\..\\x", L"\\\\?\\C:\\data\\..\\x"},
        {L"\\\\?\\C:\\data\\nul.txt", L"\\\\?\\C:\\data\\nul.txt"},
        {L"\\\\?\\C:\\data\\\\sub\\", L"C:\\data\\sub"},
        {L"\\\\?\\C:\\", L"C:\\"},
        {L"\\\\?\\UNC\\srv\\share\\x", L"\\\\srv\\share\\x"},
        {L"\\\\.\\C:\\data\\..\\x", L"C:\\x"},
    };
    for (const PathCase& c : cases) EXPECT_EQ(FullPath(c.in), c.out) << c.in;
    EXPECT_EQ(FullPath(volume + L"backup\\"), volume + L"backup");
    EXPECT_EQ(FullPath(volume), volume);
}

// Roots of every spelling are kept whole: trimmed to, never past.
TEST(RootLength, EverySpellingOfARoot) {
    const std::wstring volume = L"\\\\?\\Volume{0a1b2c3d-0000-0000-0000-000000000043}\\";
    const std::wstring shadow = L"\\\\?\\GLOBALROOT\\Device\\HarddiskVolumeShadowCopy3\\";
    EXPECT_EQ(TrimSeparators(volume), volume);
    EXPECT_EQ(TrimSeparators(shadow), shadow);
    EXPECT_EQ(TrimSeparators(L"\\\\?\\C:\\"), L"\\\\?\\C:\\");
    EXPECT_EQ(TrimSeparators(L"\\\\?\\UNC\\srv\\share\\"), L"\\\\?\\UNC\\srv\\share");
    EXPECT_EQ(PathName(volume), L"");
    EXPECT_EQ(PathName(shadow), L"");
    EXPECT_EQ(PathName(L"\\\\?\\C:\\foo."), L"foo.");
    EXPECT_EQ(PathName(L"\\\\?\\UNC\\srv\\share"), L"share");
    EXPECT_EQ(PathParent(volume + L"backup"), volume);
    EXPECT_EQ(PathParent(shadow + L"a\\b"), shadow + L"a");
    EXPECT_EQ(PathParent(L"\\\\srv\\share\\f.txt"), L"\\\\srv\\share");
    EXPECT_EQ(PathParent(L"\\\\srv\\share"), L"\\\\srv\\share");
    EXPECT_EQ(AppendPath(volume, L"x"), volume + L"x");
    EXPECT_TRUE(IsDriveRoot(volume));
    EXPECT_TRUE(IsProtectedLocation(volume));
    EXPECT_FALSE(IsDriveRoot(L"\\\\?\\UNC\\srv\\share"));
}

// A short (8.3) name names the same entry as its long one; the part of a
// path that does not exist yet is kept as given.
TEST(FullPath, ExpandsShortNamesOfWhatExists) {
    test::TempDir dir;
    ASSERT_TRUE(test::WriteBytesDeep(dir / L"long-folder-name\\report-long-name.txt", "x"));
    wchar_t buffer[MAX_PATH];
    DWORD n = GetShortPathNameW((dir / L"long-folder-name\\report-long-name.txt").c_str(), buffer,
                                MAX_PATH);
    if (n == 0 || n >= MAX_PATH || !wcschr(buffer, L'~')) GTEST_SKIP() << "no short names here";
    std::wstring shortFile = buffer;
    EXPECT_EQ(FullPath(shortFile), dir / L"long-folder-name\\report-long-name.txt");
    std::wstring shortFolder = PathParent(shortFile);
    EXPECT_EQ(FullPath(shortFolder + L"\\new\\x~1.txt"), dir / L"long-folder-name\\new\\x~1.txt");
}

TEST(IsProtectedLocation, OnlyDrivesAndTheNamedFolders) {
    EXPECT_TRUE(IsProtectedLocation(L"c:\\program files\\"));
    EXPECT_TRUE(IsProtectedLocation(L"C:\\Program Files (x86)"));
    EXPECT_TRUE(IsProtectedLocation(L"c:\\windows"));
    EXPECT_TRUE(IsProtectedLocation(L"c:\\users\\"));
    EXPECT_TRUE(IsProtectedLocation(L"c:\\programdata"));
    EXPECT_TRUE(IsProtectedLocation(L"E:"));
    EXPECT_TRUE(IsProtectedLocation(L"e:\\"));
    EXPECT_FALSE(IsProtectedLocation(L"D:\\Users"));
    EXPECT_FALSE(IsProtectedLocation(L"C:\\Users\\me"));
    EXPECT_FALSE(IsProtectedLocation(L"C:\\Windows2"));
    EXPECT_FALSE(IsProtectedLocation(L"\\\\srv\\share"));
}

TEST(MakeFolderTree, CreatesEveryLevelAndAcceptsExisting) {
    test::TempDir dir;
    std::wstring deep = dir / L"a\\b/c\\";
    EXPECT_TRUE(MakeFolderTree(deep));
    EXPECT_TRUE(test::Exists(dir / L"a\\b\\c"));
    EXPECT_TRUE(MakeFolderTree(deep));
    EXPECT_TRUE(MakeFolderTree(L""));
    ASSERT_TRUE(test::WriteBytes(dir / L"file", "x"));
    EXPECT_TRUE(MakeFolderTree(dir / L"file"));  // any entry of that name counts
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(MakeFolderTree(dir / L"file\\below"));
    EXPECT_NE(GetLastError(), 0xdeadbeefu);
}

TEST(MakeFolderTree, ReachesPastTheShortPathLimit) {
    test::TempDir dir;
    std::wstring deep = dir.path();
    while (deep.size() < 320) deep += L"\\层级目录-ñ-😀";
    EXPECT_TRUE(MakeFolderTree(deep));
    EXPECT_TRUE(test::Exists(deep));
}

}  // namespace
}  // namespace zrw
