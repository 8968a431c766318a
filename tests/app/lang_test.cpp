#include "app/app.h"

#include <gtest/gtest.h>

#include <set>

namespace zrw {
namespace {

TEST(LanguageTable, HoldsAllRowsWithUniqueChineseTexts) {
    size_t count = 0;
    const LangRow* rows = LangTable(&count);
    // The design's 126 rows less the old removal link, one added message, the
    // three texts of refused jobs and unreadable folders, the unreadable path
    // list, the new removal link and the two notes on the Windows 11 entry.
    EXPECT_EQ(count, 133u);
    std::set<std::wstring> zh;
    for (size_t i = 0; i < count; ++i) zh.insert(rows[i].zh);
    EXPECT_EQ(zh.size(), count);
    EXPECT_STREQ(rows[0].zh, L"泽若");
    EXPECT_STREQ(rows[count - 1].en,
                 L"\n\nThe Windows 11 menu entry could not be registered, so the classic context "
                 L"menu (under \"Show more options\") is used.");
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
