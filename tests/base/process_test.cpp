// Child processes started by their full path.
#include "base/process.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

namespace zrw {
namespace {

TEST(StartHiddenProcess, AnswersWhyAProgramDidNotStart) {
    test::TempDir dir;
    std::wstring missing = dir / L"absent.exe";
    StartedProcess started = StartHiddenProcess(missing, L"\"" + missing + L"\"");
    EXPECT_FALSE(started.process);
    EXPECT_EQ(started.error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    // Without a program the system would search for the line's first word.
    started = StartHiddenProcess(L"", L"cmd.exe /c exit 0");
    EXPECT_FALSE(started.process);
    EXPECT_EQ(started.error, static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
}  // namespace zrw
