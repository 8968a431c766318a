#include "app/app.h"

#include <gtest/gtest.h>

#include <set>

namespace zrw {
namespace {

TEST(LanguageTable, HoldsAllRowsWithUniqueChineseTexts) {
    size_t count = 0;
    const LangRow* rows = LangTable(&count);
    // The design's 126 rows, one added message, and the three texts of refused
    // jobs and unreadable folders.
    EXPECT_EQ(count, 130u);
    std::set<std::wstring> zh;
    for (size_t i = 0; i < count; ++i) zh.insert(rows[i].zh);
    EXPECT_EQ(zh.size(), count);
    EXPECT_STREQ(rows[0].zh, L"泽若");
    EXPECT_STREQ(rows[count - 1].en, L"Raw logs of every copy live in the log folder.");
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
