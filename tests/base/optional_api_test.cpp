// The run-time look-up behind the table of optional functions.
#include "base/optional_api.h"

#include <gtest/gtest.h>

namespace zrw {
namespace {

TEST(OptionalFunction, NullForAMissingFunctionOrLibrary) {
    FARPROC present = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetTickCount64");
    ASSERT_NE(present, nullptr);
    constexpr LibraryUse kIfMapped = LibraryUse::IfMapped;
    EXPECT_EQ(FindOptionalFunction({L"kernel32.dll", kIfMapped, "GetTickCount64"}), present);
    EXPECT_EQ(FindOptionalFunction({L"kernel32.dll", kIfMapped, "ZerrowNoSuchFunction"}), nullptr);
    EXPECT_EQ(FindOptionalFunction({L"zerrow-no-such.dll", LibraryUse::Load, "GetTickCount64"}),
              nullptr);
    EXPECT_EQ(FindOptionalFunction({L"zerrow-no-such.dll", kIfMapped, "GetTickCount64"}), nullptr);
}

}  // namespace
}  // namespace zrw
