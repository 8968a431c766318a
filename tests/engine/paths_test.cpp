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
    EXPECT_EQ(PathParent(L"C:\\a.txt"), L"C:");
    EXPECT_EQ(PathParent(L"C:\\a\\b.txt"), L"C:\\a");
    EXPECT_EQ(PathParent(L"\\x"), L"\\x");
    EXPECT_EQ(PathParent(L"name"), L"name");
    EXPECT_EQ(AppendPath(L"C:\\", L"x"), L"C:\\x");
    EXPECT_EQ(AppendPath(L"C:\\a/", L"x"), L"C:\\a/x");
    EXPECT_EQ(AppendPath(L"C:\\a", L"x"), L"C:\\a\\x");
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
