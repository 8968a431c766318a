// What a move proves before it deletes, with both engines, run in this
// process: a copy whose bytes on the disk differ keeps its source, is named,
// and ends the job with 4; the others are hashed into the destination's list.
#include "app/logdir.h"
#include "app/settings.h"
#include "base/paths.h"
#include "engine/copyfile.h"
#include "job/job.h"
#include "tests/transfers/helpers.h"
#include "verify/hashlist.h"

#include <gtest/gtest.h>

namespace zrw {
namespace {

using test::kSha256OfA;
using test::kSha256OfB;

// The disk's bytes of one copy are not what the cache handed back after the
// write: verification reads another file of the same size in its place.
std::wstring g_rotten;
HANDLE RottenOpener(const std::wstring& path, DWORD flags) {
    bool victim = path.ends_with(L"\\out\\src\\victim.bin");
    return CreateFileW((victim ? g_rotten : path).c_str(), GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, flags, nullptr);
}

class MoveProof : public test::IsolatedTest, public ::testing::WithParamInterface<Engine> {
protected:
    void SetUp() override {
        g_settings = Settings{};
        g_settings.engine = GetParam();
        g_noQueue = true;
        EnsureLogFolder();
    }
    void TearDown() override {
        ResetJob();
        g_settings = Settings{};
        g_noQueue = false;
    }
    int Move(const std::wstring& source) {
        ScanJob({source});
        PrepareJob(dir / L"out", true);
        return RunPreparedJob(true, true, 1, ConflictPolicy::Replace);
    }
    test::MachineLock robocopy_;
};
INSTANTIATE_TEST_SUITE_P(BothEngines, MoveProof,
                         ::testing::Values(Engine::Robocopy, Engine::Native), [](const auto& info) {
                             return info.param == Engine::Robocopy ? "Robocopy" : "Native";
                         });

TEST_P(MoveProof, ACopyTheDiskDoesNotHoldKeepsItsSourceAndEndsWithFour) {
    ASSERT_TRUE(test::WriteBytesDeep(dir / L"src\\a.txt", "a"));
    ASSERT_TRUE(test::WriteBytesDeep(dir / L"src\\sub\\b.txt", "b"));
    ASSERT_TRUE(test::WriteBytesDeep(dir / L"src\\victim.bin", "victim"));
    g_rotten = dir / L"rotten.bin";
    ASSERT_TRUE(test::WriteBytes(g_rotten, "victiM"));
    g_settings.verify = true;
    g_settings.hash = true;
    test::Replaced<VerifyOpener> rotten(g_openForVerify, RottenOpener);
    test::RenamesRefused noRenames;

    EXPECT_EQ(Move(dir / L"src"), 4);
    EXPECT_EQ(g_job.counts.copied, 3u);
    EXPECT_EQ(test::ReadBytes(dir / L"src\\victim.bin"), "victim");
    EXPECT_FALSE(test::Exists(dir / L"src\\a.txt"));
    EXPECT_FALSE(test::Exists(dir / L"src\\sub\\b.txt"));
    EXPECT_EQ(test::ReadBytes(dir / L"out\\src\\victim.bin"), "victim");
    std::string log = test::ReadBytes(g_job.logPath);
    EXPECT_NE(log.find(test::WideToUtf8(L"校验对不上, 源留着 " + (dir / L"src\\victim.bin"))),
              std::string::npos)
        << log;
    EXPECT_EQ(
        test::ReadBytes(PathParent(g_job.logPath) + L"\\verify-last.log"),
        test::WideToUtf8(L"校验: 1 / 3 个对不上\n  " + (dir / L"out\\src\\victim.bin")) + "\r\n");
    EXPECT_EQ(test::ReadBytes(dir / L"out\\SHA256SUMS"),
              std::string(kSha256OfA) + " *src/a.txt\n" + kSha256OfB + " *src/sub/b.txt\n");
}

// Within a volume the native engine moves a folder by one rename, and
// robocopy copies it: either way its files are hashed where they landed.
TEST_P(MoveProof, AMovedFolderIsHashedWhereItLands) {
    ASSERT_TRUE(test::WriteBytesDeep(dir / L"src\\a.txt", "a"));
    ASSERT_TRUE(test::WriteBytesDeep(dir / L"src\\sub\\b.txt", "b"));
    g_settings.hash = true;
    EXPECT_EQ(Move(dir / L"src"), 0);
    EXPECT_FALSE(test::Exists(dir / L"src"));
    EXPECT_EQ(test::ReadBytes(dir / L"out\\SHA256SUMS"),
              std::string(kSha256OfA) + " *src/a.txt\n" + kSha256OfB + " *src/sub/b.txt\n");
}

}  // namespace
}  // namespace zrw
