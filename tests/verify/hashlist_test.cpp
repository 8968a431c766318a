// The hash list: the lines a comparison hashes, the list's update in place,
// and its check: missing, changed and unlisted files, and what is no list.
#include "verify/hashlist.h"
#include "app/logdir.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

namespace zrw {
namespace {

using test::FileItem;
using test::FolderItem;

using test::kSha256OfA;
using test::kSha256OfB;
using test::kSha256OfEmpty;

class HashList : public test::IsolatedTest {
protected:
    void SetUp() override { EnsureLogFolder(); }
    std::string List() { return test::ReadBytes(out + L"\\SHA256SUMS"); }
    int Check() {
        VerifiedBytes = 0;
        return RunCheckMode(out + L"\\SHA256SUMS");
    }
    static std::string Report() { return test::ReadBytes(LogFolder() + L"\\verify-last.log"); }
    std::wstring src = dir / L"src";
    std::wstring out = dir / L"out";
};

TEST_F(HashList, AComparisonListsWhatItReadAndAnUpdateKeepsOtherLines) {
    for (const std::wstring& root : {src, out}) {
        ASSERT_TRUE(test::WriteBytesDeep(root + L"\\相册\\a.txt", "a"));
        ASSERT_TRUE(test::WriteBytesDeep(root + L"\\相册\\子 😀\\empty", ""));
        ASSERT_TRUE(test::WriteBytesDeep(root + L"\\b.txt", "b"));
    }
    ASSERT_TRUE(test::WriteBytes(
        out + L"\\SHA256SUMS",
        std::string(kSha256OfB) + " *old/kept.txt\n" + kSha256OfEmpty + " *b.txt\n"));
    std::vector<HashLine> lines;
    VerifyResult r = VerifyTree(
        {FolderItem(src + L"\\相册", L"相册"), FileItem(src + L"\\b.txt", L"b.txt")}, out, &lines);
    ASSERT_EQ(r.differing, 0u);
    ASSERT_TRUE(UpdateHashList(out, lines));
    // b.txt's stale line is replaced where it stood; the new paths follow.
    EXPECT_EQ(List(), std::string(kSha256OfB) + " *old/kept.txt\n" + kSha256OfB + " *b.txt\n" +
                          kSha256OfA + " *" + test::WideToUtf8(L"相册/a.txt") + "\n" +
                          kSha256OfEmpty + " *" + test::WideToUtf8(L"相册/子 😀/empty") + "\n");
    EXPECT_FALSE(test::Exists(out + L"\\SHA256SUMS.~zrw"));
}

TEST_F(HashList, ACheckFindsChangedMissingAndUnlistedFiles) {
    ASSERT_TRUE(test::WriteBytesDeep(out + L"\\d\\a.txt", "a"));
    ASSERT_TRUE(test::WriteBytesDeep(out + L"\\b.txt", "b"));
    ASSERT_TRUE(test::WriteBytes(out + L"\\SHA256SUMS", std::string(kSha256OfA) + " *d/a.txt\r\n" +
                                                            kSha256OfB + "  b.txt\n"));
    EXPECT_EQ(Check(), 0);
    EXPECT_EQ(Report(), test::WideToUtf8(L"校验: 2 个文件全一致\r\n"));

    // A byte changed behind the program's back, a file gone, one not listed.
    ASSERT_TRUE(test::WriteBytes(out + L"\\d\\a.txt", "A"));
    ASSERT_TRUE(DeleteFileW((out + L"\\b.txt").c_str()));
    ASSERT_TRUE(test::WriteBytes(out + L"\\new.txt", "n"));
    EXPECT_EQ(Check(), 4);
    EXPECT_EQ(Report(), test::WideToUtf8(L"校验: 2 / 2 个对不上\n  " + out + L"\\d\\a.txt\n  " +
                                         out + L"\\b.txt（不见了）\n清单里没有的文件: 1\n  " + out +
                                         L"\\new.txt\r\n"));
}

TEST_F(HashList, WhatIsNoHashListIsRefused) {
    EXPECT_EQ(Check(), 2);  // none there
    ASSERT_TRUE(test::WriteBytesDeep(out + L"\\SHA256SUMS", "just some text\n"));
    EXPECT_EQ(Check(), 2);
    ASSERT_TRUE(
        test::WriteBytes(out + L"\\SHA256SUMS", std::string(kSha256OfA) + " *a.txt\nnot a line\n"));
    EXPECT_EQ(Check(), 2);
    HashLine tagged, escaped;
    ASSERT_TRUE(ParseHashLine(std::string("SHA256 (x y.txt) = ") + kSha256OfA, tagged));
    EXPECT_EQ(tagged.path, L"x y.txt");
    ASSERT_TRUE(ParseHashLine(std::string("\\") + kSha256OfA + " *a\\\\b", escaped));
    EXPECT_EQ(escaped.path, L"a\\b");
}

}  // namespace
}  // namespace zrw
