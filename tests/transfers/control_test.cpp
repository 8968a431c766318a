// The engine-run control driven in-process: byte counts, exit codes, the
// self-target rule, and pause, resume and cancel of a real robocopy child.
#include "job/control.h"
#include "app/lang.h"
#include "app/settings.h"
#include "engine/driver.h"
#include "engine/safety.h"
#include "engine/scan.h"
#include "tests/transfers/helpers.h"
#include "ui/job_display.h"
#include "ui/window.h"

#include <gtest/gtest.h>

namespace zrw {
namespace {

using test::CountFiles;

TEST(BytesDone, AddsFinishedSourcesAndCapsAtTheTotal) {
    EXPECT_EQ(CappedBytesDone(0, 0, 0), 0u);
    EXPECT_EQ(CappedBytesDone(100, 50, 1000), 150u);
    EXPECT_EQ(CappedBytesDone(900, 500, 1000), 1000u);  // robocopy's log writes count too
    EXPECT_EQ(CappedBytesDone(900, 500, 0), 1400u);     // no total: nothing to cap at
    EXPECT_EQ(CappedBytesDone(~0ull - 10, 5, 0), ~0ull - 5);
}

uint64_t g_fakeWritten = 0;
bool g_fakeReadWorks = true;
bool FakeWriteCount(HANDLE, uint64_t& written) {
    written = g_fakeWritten;
    return g_fakeReadWorks;
}

TEST(BytesDone, FollowsTheChildsWriteCounter) {
    ResetJob();
    g_settings.engine = Engine::Robocopy;
    WriteCountReader saved = g_readWriteCount;
    g_readWriteCount = FakeWriteCount;
    g_job.totalBytes = 1000;
    g_job.bytesBefore = 300;
    g_job.process.reset(GetCurrentProcess());  // any handle: the reader is made up
    g_fakeWritten = 200;
    g_fakeReadWorks = true;
    UpdateBytesDone(g_job);
    EXPECT_EQ(g_job.bytesCurrent, 200u);
    EXPECT_EQ(g_job.speed.bytesDone, 500u);
    g_fakeWritten = 5000;
    UpdateBytesDone(g_job);
    EXPECT_EQ(g_job.bytesCurrent, 5000u);
    EXPECT_EQ(g_job.speed.bytesDone, 1000u);
    g_fakeReadWorks = false;  // a failed read keeps the last count
    g_fakeWritten = 1;
    UpdateBytesDone(g_job);
    EXPECT_EQ(g_job.speed.bytesDone, 1000u);
    g_job.process.release();  // a pseudo handle, not to be closed
    g_readWriteCount = saved;
}

TEST(ExitCodes, FailureBitsAndCodesAboveTheMaskFail) {
    for (uint32_t ok : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 7u}) EXPECT_FALSE(IsFailureExitCode(ok)) << ok;
    for (uint32_t bad : {8u, 9u, 16u, 0x18u, 0x1Fu, 0x20u, 0xC0000005u, 0xC0000142u})
        EXPECT_TRUE(IsFailureExitCode(bad)) << bad;
}

TEST(SelfTarget, EqualInsideOrAboveButNotASiblingWithTheSamePrefix) {
    EXPECT_EQ(FindOverlap(L"D:\\a\\Photos", L"D:\\a\\Photos"), Overlap::TargetIsSource);
    EXPECT_EQ(FindOverlap(L"D:\\a\\Photos", L"d:\\A\\photos"), Overlap::TargetIsSource);
    EXPECT_EQ(FindOverlap(L"D:\\a\\Photos", L"D:\\a\\Photos\\sub\\Photos"),
              Overlap::TargetInsideSource);
    EXPECT_EQ(FindOverlap(L"D:\\", L"D:\\out"), Overlap::TargetInsideSource);
    EXPECT_EQ(FindOverlap(L"D:\\a\\Photos", L"D:\\a"), Overlap::SourceInsideTarget);
    EXPECT_EQ(FindOverlap(L"D:\\a\\Photos", L"D:\\a\\Photos2"), Overlap::None);
    EXPECT_EQ(FindOverlap(L"D:\\a\\Photos", L"E:\\a\\Photos"), Overlap::None);
}

TEST(SelfTarget, FolderFileAndDriveRootTargets) {
    EXPECT_EQ(SourceTarget(test::FolderItem(L"D:\\a\\Photos", L"Photos"), L"E:\\out"),
              L"E:\\out\\Photos");
    EXPECT_EQ(SourceTarget(test::FileItem(L"D:\\a\\b.txt", L"b.txt"), L"E:\\out"),
              L"E:\\out\\b.txt");
    EXPECT_EQ(SourceTarget(test::FolderItem(L"D:\\", L""), L"E:\\out"), L"E:\\out");
}

// A link on the way to the target leads the comparison where the target
// really is: into the source it points into.
TEST(SelfTarget, ALinkIntoTheSourceIsFollowedToWhereItLeads) {
    test::TempDir dir;
    ASSERT_TRUE(test::WriteBytesDeep(dir / L"S\\data\\inner\\f.txt", "f"));
    if (!test::MakeFolderLink(dir / L"S\\data2", dir / L"S\\data\\inner") ||
        !test::MakeFolderLink(dir / L"into", dir / L"S\\data\\inner"))
        GTEST_SKIP() << "no folder links here";
    std::wstring data = dir / L"S\\data";
    EXPECT_EQ(FindOverlap(data, dir / L"S\\data2\\sub\\data"), Overlap::TargetInsideSource);
    EXPECT_EQ(FindOverlap(data, dir / L"into\\data"), Overlap::TargetInsideSource);
    EXPECT_EQ(FindOverlap(data, dir / L"S\\data2"), Overlap::TargetInsideSource);
    EXPECT_EQ(FindOverlap(dir / L"S\\data2", dir / L"elsewhere\\data2"), Overlap::None);
    test::RemoveLink(dir / L"S\\data2");
    test::RemoveLink(dir / L"into");
}

bool NoFileIds(HANDLE, FILE_ID_INFO& info) {
    info = {};
    info.VolumeSerialNumber = 0x1234;
    return true;
}

// A share without file IDs gives 0 for every file: folders are then told
// apart by where they really are, not all taken for one.
TEST(SelfTarget, FoldersWithoutFileIdsAreComparedByTheirFinalPaths) {
    test::TempDir dir;
    ASSERT_TRUE(test::WriteBytesDeep(dir / L"src\\a\\f.txt", "f"));
    ASSERT_TRUE(CreateDirectoryW((dir / L"dst").c_str(), nullptr));
    test::Replaced<FileIdReader> noIds(g_readFileId, NoFileIds);
    EXPECT_EQ(FindOverlap(dir / L"src\\a", dir / L"dst\\a"), Overlap::None);
    EXPECT_EQ(FindOverlap(dir / L"src\\a", dir / L"src\\a"), Overlap::TargetIsSource);
    if (!test::MakeFolderLink(dir / L"dst\\link", dir / L"src\\a")) return;
    EXPECT_EQ(FindOverlap(dir / L"src\\a", dir / L"dst\\link\\a"), Overlap::TargetInsideSource);
    test::RemoveLink(dir / L"dst\\link");
}

// A job record filled as the runner fills it, for a robocopy run in this process.
class Control : public test::IsolatedTest {
protected:
    void SetUp() override {
        g_settings.engine = Engine::Robocopy;
        g_main = MainState{};
    }
    void TearDown() override {
        CancelJob(g_job);
        ResetPause();
        g_main = MainState{};
        if (button) DestroyWindow(button);
    }
    void Prepare(const std::vector<std::wstring>& paths, const std::wstring& destination) {
        ResetJob();
        ScanResult scan = ScanSources(paths);
        g_job.sources = scan.items;
        g_job.totalBytes = scan.totalBytes;
        g_job.totalFiles = scan.totalFiles;
        g_job.destination = destination;
        g_job.logPath = dir / L"job.log";
        g_job.speed.startTick = GetTickCount64();
    }
    bool TickUntilFinished(DWORD timeoutMs) {
        return test::WaitUntil(
            [] {
                JobTick(nullptr);
                return g_job.finished;
            },
            timeoutMs);
    }
    // A window transfer with a pause button, as the main window has one.
    void StartWindowJob() {
        button = CreateWindowExW(0, L"BUTTON", L"Pause", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                 nullptr);
        g_main.pauseButton = button;
        g_main.running = true;
        g_job.view = &MainWindowJobView();
    }
    std::wstring ButtonText() { return test::WindowText(button); }

    test::MachineLock robocopy_;
    HWND button = nullptr;
};

TEST_F(Control, TheSecondOfThreeSourcesCannotStartAndTheThirdStillRuns) {
    test::WriteBytesDeep(dir / L"one\\a.txt", "first");
    test::WriteBytesDeep(dir / L"box\\b.txt", "second");
    test::WriteBytesDeep(dir / L"three.txt", "third");
    Prepare({dir / L"one", dir / L"box", dir / L"three.txt"}, dir / L"box\\out");
    ASSERT_TRUE(StartNextSource(g_job));
    ASSERT_TRUE(TickUntilFinished(30000));
    EXPECT_EQ(g_job.failedSources, 1u);
    EXPECT_EQ(g_job.exitCodes, (std::vector<uint32_t>{1, 1}));
    EXPECT_EQ(g_job.result, kJobFailed);
    EXPECT_EQ(test::ReadBytes(dir / L"box\\out\\three.txt"), "third");
    std::string log = test::ReadBytes(dir / L"job.log");
    std::string refused = test::WideToUtf8(L"目标在源里面(会自己复制自己), 跳过 " + (dir / L"box"));
    EXPECT_NE(log.find(refused), std::string::npos) << log;
}

TEST_F(Control, NoSourceStartsWithoutRobocopy) {
    test::WriteBytesDeep(dir / L"a\\f.txt", "x");
    test::WriteBytesDeep(dir / L"b.txt", "y");
    Prepare({dir / L"a", dir / L"b.txt"}, dir / L"out");
    test::RobocopyHidden gone;
    ASSERT_TRUE(gone.hidden());
    EXPECT_FALSE(StartNextSource(g_job));
    EXPECT_EQ(g_job.failedSources, 2u);
    EXPECT_EQ(g_job.current, 2u);
    EXPECT_TRUE(g_job.exitCodes.empty());
}

TEST_F(Control, PausedRobocopyMakesNoProgressAndFinishesAfterResume) {
    test::WriteFiles(dir / L"src", 20);
    test::SlowRobocopy slow;
    Prepare({dir / L"src"}, dir / L"out");
    StartWindowJob();
    ASSERT_TRUE(StartNextSource(g_job));
    ASSERT_TRUE(test::WaitUntil([&] { return CountFiles(dir / L"out") > 0; }, 5000));
    TogglePause();
    EXPECT_TRUE(g_main.paused);
    EXPECT_EQ(ButtonText(), Tr(L"继续"));
    slow.Elapse(1);  // a file in flight has landed
    size_t atPause = CountFiles(dir / L"out");
    slow.Elapse(4);  // the time for four more
    JobTick(nullptr);
    EXPECT_EQ(CountFiles(dir / L"out"), atPause);
    EXPECT_LT(atPause, 20u);
    EXPECT_FALSE(g_job.finished);
    TogglePause();
    EXPECT_FALSE(g_main.paused);
    EXPECT_EQ(ButtonText(), Tr(L"暂停"));
    ASSERT_TRUE(TickUntilFinished(30000));
    EXPECT_EQ(CountFiles(dir / L"out\\src"), 20u);
    EXPECT_EQ(g_job.failedSources, 0u);
}

TEST_F(Control, ASourceStartedDuringAPauseIsSuspendedAtOnce) {
    test::WriteBytesDeep(dir / L"src\\f.txt", "data");
    Prepare({dir / L"src"}, dir / L"out");
    StartWindowJob();
    g_main.paused = true;
    ASSERT_TRUE(StartNextSource(g_job));
    test::SlowRobocopy(L"0").Elapse(1);  // the time the child needs, had it run
    JobTick(nullptr);
    EXPECT_FALSE(test::Exists(dir / L"out\\src\\f.txt"));
    EXPECT_FALSE(g_job.finished);
    TogglePause();
    ASSERT_TRUE(TickUntilFinished(30000));
    EXPECT_EQ(test::ReadBytes(dir / L"out\\src\\f.txt"), "data");
}

TEST_F(Control, CancelWhileSuspendedEndsTheChildAndTheJob) {
    test::WriteFiles(dir / L"src", 10);
    test::SlowRobocopy slow(L"200");
    Prepare({dir / L"src"}, dir / L"out");
    StartWindowJob();
    ASSERT_TRUE(StartNextSource(g_job));
    TogglePause();
    HANDLE child = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), g_job.process.get(), GetCurrentProcess(),
                                &child, SYNCHRONIZE, FALSE, 0));
    UniqueHandle watch(child);
    CancelJob(g_job);
    EXPECT_FALSE(g_job.process);
    EXPECT_EQ(WaitForSingleObject(watch.get(), 5000), static_cast<DWORD>(WAIT_OBJECT_0));
    FinishJob(g_job, nullptr);
    EXPECT_EQ(g_job.result, kJobCancelled);
    EXPECT_TRUE(g_job.exitCodes.empty());
    EXPECT_EQ(g_job.failedSources, 0u);
}

TEST_F(Control, ResetPauseClearsTheEnginesPauseFlagToo) {
    StartWindowJob();
    g_settings.engine = Engine::Native;
    TogglePause();
    EXPECT_TRUE(g_stats.pause.load());
    ResetPause();
    EXPECT_FALSE(g_main.paused);
    EXPECT_FALSE(g_stats.pause.load());
    EXPECT_EQ(ButtonText(), Tr(L"暂停"));
}

TEST_F(Control, PauseOutsideAWindowTransferDoesNothing) {
    StartWindowJob();
    g_main.running = false;
    TogglePause();
    EXPECT_FALSE(g_main.paused);
    EXPECT_EQ(ButtonText(), L"Pause");
}

}  // namespace
}  // namespace zrw
