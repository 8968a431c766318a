// Jobs of Zerrow.exe that share a disk: one after the other, unless told
// otherwise, and a job that waits can be cancelled without touching anything.
#include "tests/transfers/helpers.h"

#include <gtest/gtest.h>

#include <future>
#include <optional>

namespace zrw::test {
namespace {

class Queue : public ProgramTest {
protected:
    // A robocopy job of files of its own, below folder, into folder\<name>-dst.
    std::vector<std::wstring> Job(const std::wstring& folder, const std::wstring& name, int files,
                                  std::vector<std::wstring> more = {}) {
        WriteFiles(Source(folder, name), files);
        std::vector<std::wstring> args = {L"copy", Source(folder, name), L"--dest",
                                          Destination(folder, name), kRobo};
        args.insert(args.end(), more.begin(), more.end());
        return args;
    }
    static std::wstring Source(const std::wstring& folder, const std::wstring& name) {
        return folder + L"\\" + name + L"-src";
    }
    static std::wstring Destination(const std::wstring& folder, const std::wstring& name) {
        return folder + L"\\" + name + L"-dst";
    }
    static size_t Landed(const std::wstring& folder, const std::wstring& name) {
        return CountFiles(Destination(folder, name));
    }
    static std::future<ProcessResult> Start(std::vector<std::wstring> args) {
        return std::async(std::launch::async, [args] { return RunZerrow(args, 90000); });
    }
    static bool Ended(const std::future<ProcessResult>& run) {
        return run.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    }
    static void ExpectCopied(const std::wstring& folder, const std::wstring& name) {
        EXPECT_EQ(TreeDigest(Destination(folder, name) + L"\\" + name + L"-src"),
                  TreeDigest(Source(folder, name)));
    }

    // A silent job "a" of that many files, seen at work.
    std::future<ProcessResult> StartRunning(int files) {
        auto run = Start(Job(dir.path(), L"a", files, {L"--silent"}));
        EXPECT_TRUE(WaitUntil([&] { return Landed(dir.path(), L"a") > 0; }, 30000));
        return run;
    }
    // How many of a's files had landed when the first of name's did.
    size_t LandedOfAWhenFirstOf(const std::wstring& name) {
        size_t landedA = 0;
        EXPECT_TRUE(WaitUntil(
            [&] {
                landedA = Landed(dir.path(), L"a");
                return Landed(dir.path(), name) > 0;
            },
            60000));
        return landedA;
    }

    // Two silent jobs started together, a's tree below dir and b's below
    // folderB; true when at some look both were half-way.
    bool RunTogether(const std::wstring& folderB, ProcessResult& a, ProcessResult& b) {
        constexpr int kFiles = 6;
        auto runA = Start(Job(dir.path(), L"a", kFiles, {L"--silent"}));
        auto runB = Start(Job(folderB, L"b", kFiles, {L"--silent"}));
        bool overlapped = false;
        WaitUntil(
            [&] {
                size_t landedA = Landed(dir.path(), L"a"), landedB = Landed(folderB, L"b");
                overlapped = overlapped ||
                             (landedA > 0 && landedA < kFiles && landedB > 0 && landedB < kFiles);
                return Ended(runA) && Ended(runB);
            },
            90000);
        a = runA.get();
        b = runB.get();
        EXPECT_EQ(a.exitCode, 0u) << a.err;
        EXPECT_EQ(b.exitCode, 0u) << b.err;
        ExpectCopied(dir.path(), L"a");
        ExpectCopied(folderB, L"b");
        return overlapped;
    }
};

TEST_F(Queue, TwoJobsToOneVolumeRunOneAfterTheOther) {
    SlowRobocopy slow(L"250");
    ProcessResult a, b;
    EXPECT_FALSE(RunTogether(dir.path(), a, b));
    // The one that waited said so, naming the other by its log and its route.
    const std::string waiting = WideToUtf8(L"等待任务 copy-");
    const bool aWaited = a.out.find(waiting) != std::string::npos;
    const bool bWaited = b.out.find(waiting) != std::string::npos;
    ASSERT_NE(aWaited, bWaited) << a.out << "\n" << b.out;
    const std::string& said = aWaited ? a.out : b.out;
    const std::wstring other = Source(dir.path(), aWaited ? L"b" : L"a");
    EXPECT_NE(said.find(WideToUtf8(other + L" → ")), std::string::npos) << said;
}

// Wine's C:, where the test's folders are, and Z: are two volumes.
TEST_F(Queue, JobsOnOtherVolumesDoNotWaitForEachOther) {
    std::optional<TempDir> other;
    {
        TempFolderAt onZ(L"Z:\\tmp");
        other.emplace();
    }
    ASSERT_TRUE(Exists(other->path()));
    SlowRobocopy slow(L"250");
    ProcessResult a, b;
    EXPECT_TRUE(RunTogether(other->path(), a, b));
}

TEST_F(Queue, NoQueueStartsAtOnceBesideARunningJob) {
    constexpr int kFiles = 20;
    SlowRobocopy slow(L"250");
    auto first = StartRunning(kFiles);
    auto second = Start(Job(dir.path(), L"b", 2, {L"--silent", L"--no-queue"}));
    EXPECT_LT(LandedOfAWhenFirstOf(L"b"), static_cast<size_t>(kFiles));
    ProcessResult b = second.get();
    EXPECT_EQ(b.exitCode, 0u) << b.err;
    EXPECT_EQ(b.out.find(WideToUtf8(L"等待任务")), std::string::npos) << b.out;
    ExpectCopied(dir.path(), L"b");
    EXPECT_EQ(first.get().exitCode, 0u);
}

// Two jobs with a window wait behind a running one, each in a dialog that
// names it: the one cancelled there ends with 3 and touches nothing, the
// other starts by itself once the running job has ended.
TEST_F(Queue, AWaitingJobCanBeCancelledOrStartsWhenItsTurnComes) {
    constexpr int kFiles = 16;
    SlowRobocopy slow(L"250");
    auto first = StartRunning(kFiles);
    Background cancelled(Job(dir.path(), L"b", 2));
    Background waiting(Job(dir.path(), L"c", 2));
    HWND dialogB = WaitForWindow(cancelled.pid(), L"#32770", L"泽若", 20000);
    HWND dialogC = WaitForWindow(waiting.pid(), L"#32770", L"泽若", 20000);
    ASSERT_TRUE(dialogB && dialogC);
    std::wstring named;
    for (const std::wstring& text : ChildTexts(dialogB, L"Static"))
        if (text.rfind(L"等待任务 copy-", 0) == 0) named = text;
    EXPECT_NE(named.find(Source(dir.path(), L"a") + L" → " + Destination(dir.path(), L"a")),
              std::wstring::npos)
        << WideToUtf8(named);
    PressButton(dialogB, IDCANCEL);
    EXPECT_EQ(cancelled.Wait(30000), 3u);
    EXPECT_FALSE(Exists(Destination(dir.path(), L"b")));

    EXPECT_EQ(LandedOfAWhenFirstOf(L"c"), static_cast<size_t>(kFiles));
    EXPECT_EQ(waiting.Wait(60000), 0u);
    ExpectCopied(dir.path(), L"c");
    EXPECT_EQ(first.get().exitCode, 0u);
}

}  // namespace
}  // namespace zrw::test
