// The listing of one folder: one level, everything in it, stopped on request.
#include "base/walk.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace zrw {
namespace {

std::vector<std::wstring> ListedNames(const std::wstring& folder, bool& complete) {
    std::vector<std::wstring> names;
    complete = ListFolder(folder, [&](const WIN32_FIND_DATAW& entry) {
        names.push_back(entry.cFileName);
        return true;
    });
    std::sort(names.begin(), names.end());
    return names;
}

// What the tree walker passes over, a link and a transfer temporary, is listed.
TEST(ListFolder, OneLevelWithLinksAndTransferTemporaries) {
    test::TempDir dir;
    ASSERT_TRUE(test::WriteBytes(dir / L"a.txt", "a"));
    ASSERT_TRUE(test::WriteBytesDeep(dir / L"sub\\inner.txt", "i"));
    ASSERT_TRUE(test::WriteBytes(dir / L"~zrw0123abcd.tmp", "t"));
    ASSERT_TRUE(test::MakeFolderLink(dir / L"link", dir / L"sub"));
    bool complete = false;
    EXPECT_EQ(ListedNames(dir.path(), complete),
              (std::vector<std::wstring>{L"a.txt", L"link", L"sub", L"~zrw0123abcd.tmp"}));
    EXPECT_TRUE(complete);
    test::RemoveLink(dir / L"link");
}

TEST(ListFolder, FalseWhenStoppedOrNotListable) {
    test::TempDir dir;
    ASSERT_TRUE(test::WriteBytes(dir / L"a.txt", "a"));
    ASSERT_TRUE(test::WriteBytes(dir / L"b.txt", "b"));
    int visited = 0;
    EXPECT_FALSE(ListFolder(dir.path(), [&](const WIN32_FIND_DATAW&) { return ++visited < 1; }));
    EXPECT_EQ(visited, 1);
    bool complete = true;
    EXPECT_TRUE(ListedNames(dir / L"missing", complete).empty());
    EXPECT_FALSE(complete);
}

}  // namespace
}  // namespace zrw
