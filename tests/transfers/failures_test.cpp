// Files a job cannot copy: named with their step and cause in the job log,
// counted so that copied, skipped and failed add up, and retried alone from
// the log, with both engines.
#include "tests/transfers/helpers.h"

#include <gtest/gtest.h>

namespace zrw::test {
namespace {

using Failures = EngineTransfers;
INSTANTIATE_TEST_SUITE_P(BothEngines, Failures, ::testing::Values(kRobo, kNative), EngineName);

TEST_P(Failures, AFileInUseIsNamedCountedAndRetriedAlone) {
    WriteBytesDeep(dir / L"src\\a.txt", "a");
    WriteBytesDeep(dir / L"src\\b.txt", "b");
    const std::wstring heldPath = dir / L"src\\sub\\held.txt";
    WriteBytesDeep(heldPath, "held");
    UniqueFile held(
        CreateFileW(heldPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    ProcessResult r = Run({L"copy", dir / L"src", L"--dest", dir / L"out", L"--hash"});
    EXPECT_EQ(r.exitCode, 1u) << r.err;
    EXPECT_NE(r.out.find("合计 已复制=2 跳过=0 失败=1 计划=3"), std::string::npos) << r.out;
    // The hash list takes what was copied; the retry, which the log tells to
    // hash, adds the rest.
    const std::wstring list = dir / L"out\\SHA256SUMS";
    EXPECT_EQ(ReadBytes(list),
              std::string(kSha256OfA) + " *src/a.txt\n" + kSha256OfB + " *src/b.txt\n");
    const std::wstring log = LatestJobLog();
    EXPECT_NE(ReadBytes(log).find("\t" + WideToUtf8(heldPath) + "\t" +
                                  WideToUtf8(dir / L"out\\src\\sub\\held.txt") + "\t"),
              std::string::npos)
        << ReadBytes(log);
    held.reset();

    // Only what failed goes again: a file removed since from the destination stays away.
    ASSERT_TRUE(DeleteFileW((dir / L"out\\src\\a.txt").c_str()));
    r = Run({L"retry", log});
    EXPECT_EQ(r.exitCode, 0u) << r.err;
    EXPECT_EQ(ReadBytes(dir / L"out\\src\\sub\\held.txt"), "held");
    EXPECT_FALSE(Exists(dir / L"out\\src\\a.txt"));
    EXPECT_NE(LatestJobLog(), log);  // the retry has a log of its own
    const char kSha256OfHeld[] = "c20dea4d876b5b8fb0a1814b43017030cea6d4ac30b2d9ae71b404d2faba49b5";
    EXPECT_NE(ReadBytes(list).find(std::string(kSha256OfHeld) + " *src/sub/held.txt\n"),
              std::string::npos)
        << ReadBytes(list);
}

// A log without the job's record (of an older version) is refused by name.
TEST_P(Failures, ALogOfAnOlderVersionIsRefused) {
    ASSERT_TRUE(WriteBytes(dir / L"old.log", "\xEF\xBB\xBF失败 0x80070020  C:\\x\\y.txt\n"));
    ProcessResult r = Run({L"retry", dir / L"old.log"});
    EXPECT_EQ(r.exitCode, 2u);
    EXPECT_NE(r.err.find("旧版本"), std::string::npos) << r.err;
}

// A job that cannot fit is refused before its first byte, with the numbers.
TEST_P(Failures, AJobThatCannotFitIsRefusedBeforeItsFirstByte) {
    SmallVolume small(64);
    if (!small.mounted()) GTEST_SKIP() << "no small volume here";
    WriteBytesDeep(dir / L"src\\big.bin", std::string(200 << 10, 'b'));
    ProcessResult r = Run({L"copy", dir / L"src", L"--dest", small.path() + L"\\out"});
    EXPECT_EQ(r.exitCode, 2u) << r.err;
    EXPECT_NE(r.err.find("目标磁盘空间不够, 什么都没动: 要写 200 KB, 只剩 64 KB"),
              std::string::npos)
        << r.err;
    EXPECT_FALSE(Exists(small.path() + L"\\out"));
}

}  // namespace
}  // namespace zrw::test
