// The language table and the translation through it.
#include "app/lang.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <set>

namespace zrw {
namespace {

TEST(LanguageTable, HoldsAllRowsWithUniqueChineseTexts) {
    size_t count = 0;
    const LangRow* rows = LangTable(&count);
    // The design's 126 rows less the old removal link, one added message, the
    // three texts of refused jobs and unreadable folders, the unreadable path
    // list, the new removal link, the two notes on the Windows 11 entry, and the
    // progress window's title and route and the picture picker's filter, and
    // the two of the check after a robocopy run, the three of a job that waits
    // for its turn on a disk, and the 51 of conflicts, failures, counts and the
    // checks before the first byte, and the 13 of reads past the cache, hash
    // lists and their check.
    ASSERT_EQ(count, 209u);
    std::set<std::wstring> zh;
    std::set<std::pair<std::wstring, std::wstring>> pairs;
    for (size_t i = 0; i < count; ++i) {
        zh.insert(rows[i].zh);
        pairs.emplace(rows[i].zh, rows[i].en);
    }
    EXPECT_EQ(zh.size(), 209u);
    EXPECT_STREQ(rows[0].zh, L"泽若");
    EXPECT_STREQ(rows[132].en,
                 L"\n\nThe Windows 11 menu entry could not be registered, so the classic context "
                 L"menu (under \"Show more options\") is used.");
    const std::pair<std::wstring, std::wstring> known[] = {
        {L"泽若 快速复制", L"Zerrow Pro — Fast Copy"},
        {L"暂停", L"Pause"},
        {L"校验已关", L"Verify off"},
        {L"搬运中…（点「取消」可以停下）", L"Working… (click Cancel to stop)"},
        {L"正在移动 ", L"Moving "},
        {L"所有文件 (*.*)", L"All files (*.*)"},
    };
    for (const auto& row : known) EXPECT_EQ(pairs.count(row), 1u) << test::WideToUtf8(row.first);
}

TEST(Translate, FindsEitherHalfAndLeavesUnknownTextAlone) {
    EXPECT_EQ(Tr(L"复制 →", kLangEn), L"Copy →");
    EXPECT_EQ(Tr(L"Copy →", kLangZh), L"复制 →");
    EXPECT_EQ(Tr(L"复制 → ", kLangEn), L"复制 → ");  // a trailing blank is part of the key
    EXPECT_EQ(Tr(L"C:\\data", kLangEn), L"C:\\data");
    EXPECT_EQ(Tr(L"…", kLangZh), L"…");
}

}  // namespace
}  // namespace zrw
