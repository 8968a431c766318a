// The command line the library gives Zerrow, checked against literal
// spellings and against Windows' own splitting.
#include "varkle/argv.h"

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

namespace {

struct QuoteCase {
    const wchar_t* arg;
    const wchar_t* quoted;
};

const QuoteCase kQuoteCases[] = {
    {L"D:\\", L"\"D:\\\\\""},                          // a drive root
    {L"C:\\My Files\\", L"\"C:\\My Files\\\\\""},      // a trailing backslash
    {L"C:\\a\\\\", L"\"C:\\a\\\\\\\\\""},              // two trailing backslashes
    {L"C:\\a b\\c.txt", L"\"C:\\a b\\c.txt\""},        // inner backslashes stay single
    {L"\\\\server\\share", L"\"\\\\server\\share\""},  // a share's leading pair too
    {L"a\"b", L"\"a\\\"b\""},                          // an inner quote
    {L"a\\\"b", L"\"a\\\\\\\"b\""},                    // a backslash before a quote
    {L"D:\\数据\\😀 x.txt", L"\"D:\\数据\\😀 x.txt\""},  // CJK and a surrogate pair
    {L"", L"\"\""},
};

TEST(VarkleCommandLine, EveryArgumentIsQuotedByTheSplittingRules) {
    for (const QuoteCase& c : kQuoteCases)
        EXPECT_EQ(varkle::QuoteArgument(c.arg), c.quoted)
            << testing::PrintToString(std::wstring(c.arg));
}

TEST(VarkleCommandLine, WindowsSplitsItBackIntoTheVerbAndEveryPath) {
    std::vector<std::wstring> paths;
    for (const QuoteCase& c : kQuoteCases) paths.push_back(c.arg);
    const std::wstring exe = L"C:\\Program Files\\Zerrow\\Zerrow.exe";
    const std::wstring line = varkle::LaunchCommandLine(exe, true, paths);
    EXPECT_EQ(line.rfind(L"\"C:\\Program Files\\Zerrow\\Zerrow.exe\" move \"D:\\\\\" ", 0), 0u);
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(line.c_str(), &count);
    ASSERT_NE(argv, nullptr);
    std::vector<std::wstring> got(argv, argv + count);
    LocalFree(argv);
    ASSERT_EQ(got.size(), paths.size() + 2);
    EXPECT_EQ(got[0], exe);
    EXPECT_EQ(got[1], L"move");
    for (size_t i = 0; i < paths.size(); ++i) EXPECT_EQ(got[i + 2], paths[i]) << "argument " << i;
}

}  // namespace
