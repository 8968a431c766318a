// A window transfer while it runs and when it ends: pause, cancel, closing
// the window, verification and failures.
#include "app/lang.h"
#include "engine/copyfile.h"
#include "engine/driver.h"
#include "job/control.h"
#include "robo/robo.h"
#include "tests/support/dialogs.h"
#include "tests/ui/transfer_fixture.h"
#include "ui/ids.h"
#include "ui/job_display.h"
#include "ui/window.h"

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <thread>

namespace zrw::test {
namespace {

class JobEnd : public WindowTransfer {
protected:
    // Starts a copy of the left pane's "src" into the right pane.
    void CopySource() {
        SelectLeft({L"src"});
        Press(kIdCopyRight);
        // A start that failed says why (a child's error code) only in the job log.
        ASSERT_TRUE(g_main.running) << ReadBytes(g_job.logPath);
    }
    // The same through the stand-in robocopy at its slow pace, once its first
    // file has landed; its robocopy child.
    UniqueHandle CopySourceSlowly() {
        CopySource();
        EXPECT_TRUE(PumpUntil([&] { return CountFiles(Right(L"src")) > 0; }, 20000));
        return WaitForRobocopyChild(GetCurrentProcessId(), 0);
    }
    SlowRobocopy slow_;
};

// The engine's copies wait for the pause button: a fast disk could finish
// the whole job before the button is pressed.
std::atomic<bool> g_pausePressed{false};
HRESULT CopyOncePaused(PCWSTR source, PCWSTR destination, COPYFILE2_EXTENDED_PARAMETERS* params) {
    WaitUntil([] { return g_pausePressed.load(); }, 20000);
    return CopyFileWithProgress(source, destination, params);
}

TEST_F(JobEnd, PauseHoldsANativeTransferAndResumeFinishesIt) {
    TaskbarLog taskbar;
    Replaced<FileCopier> held(g_copyFile, CopyOncePaused);
    OpenPanes(Engine::Native);
    WriteFiles(Left(L"src"), 40, 1 << 20);
    g_pausePressed = false;
    CopySource();
    Press(kIdPause);
    g_pausePressed = true;
    EXPECT_EQ(WindowText(g_main.pauseButton), L"继续");
    // A paused worker holds its finished chunk before counting it.
    uint64_t counted = g_stats.bytesDone;
    ASSERT_TRUE(PumpTicks(1));
    uint64_t atPause = g_job.speed.bytesDone;
    ASSERT_TRUE(PumpTicks(4));
    EXPECT_EQ(g_stats.bytesDone.load(), counted);
    EXPECT_EQ(g_job.speed.bytesDone, atPause);
    EXPECT_LT(atPause, g_job.totalBytes);
    std::wstring status = WindowText(g_main.status);
    EXPECT_TRUE(StartsWith(status, L"已暂停   ·   ")) << WideToUtf8(status);
    // A paused job has no speed and no time left.
    EXPECT_EQ(status.find(L"速度"), std::wstring::npos) << WideToUtf8(status);
    EXPECT_EQ(status.find(L"剩余时间"), std::wstring::npos) << WideToUtf8(status);
    EXPECT_NE(g_kept.report.find(L"\r\n速度:  —\r\n剩余时间:  —\r\n"), std::wstring::npos)
        << WideToUtf8(g_kept.report);
    EXPECT_EQ(taskbar.last().mark, TaskbarMark::Paused);
    EXPECT_EQ(WindowText(g_main.title), L"搬运中…（点「取消」可以停下）");
    EXPECT_EQ(WindowText(window_), L"泽若 快速复制 — 复制中 1/1");

    Press(kIdPause);
    EXPECT_EQ(WindowText(g_main.pauseButton), L"暂停");
    EXPECT_EQ(taskbar.last().mark, TaskbarMark::Normal);
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(taskbar.last(), TaskbarProgress{});
    EXPECT_TRUE(StartsWith(WindowText(g_main.status), L"已完成 · "));
    EXPECT_EQ(TreeDigest(Right(L"src")), TreeDigest(Left(L"src")));
    EXPECT_FALSE(g_stats.pause.load());
}

// The end lists what failed and why; the pause button retries just that.
TEST_F(JobEnd, TheEndListsTheFailuresAndRetriesThem) {
    OpenPanes(Engine::Native);
    WriteFiles(Left(L"src"), 3, 16);
    UniqueFile held(CreateFileW(Left(L"src\\f1.bin").c_str(), GENERIC_READ, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    CopySource();
    ASSERT_TRUE(WaitUntilIdle());
    std::wstring report = WindowText(g_main.report);
    EXPECT_NE(report.find(L"文件:  已复制 2 · 跳过 0 · 失败 1 / 共 3"), std::wstring::npos)
        << WideToUtf8(report);
    EXPECT_NE(report.find(Left(L"src\\f1.bin") + L"\r\n    读取：被别的程序占用"),
              std::wstring::npos)
        << WideToUtf8(report);
    EXPECT_EQ(WindowText(g_main.pauseButton), L"重试失败的 (1)");
    held.reset();
    Press(kIdPause);
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(TreeDigest(Right(L"src")), TreeDigest(Left(L"src")));
    EXPECT_EQ(WindowText(g_main.pauseButton), L"暂停");
}

TEST_F(JobEnd, APausedRobocopyChildMakesNoProgressInEnglish) {
    OpenPanes(Engine::Robocopy, kLangEn);
    WriteFiles(Left(L"src"), 20, 16);
    ASSERT_TRUE(CopySourceSlowly());
    Press(kIdPause);
    slow_.Elapse(1);  // a file in flight has landed
    size_t atPause = CountFiles(Right(L"src"));
    slow_.Elapse(4);  // the time for four more
    ASSERT_TRUE(PumpTicks(1));
    EXPECT_EQ(CountFiles(Right(L"src")), atPause);
    EXPECT_LT(atPause, 20u);
    EXPECT_TRUE(g_main.running);
    std::wstring status = WindowText(g_main.status);
    EXPECT_TRUE(StartsWith(status, L"Paused   ·   ")) << WideToUtf8(status);
    EXPECT_EQ(WindowText(g_main.pauseButton), L"Resume");
    Press(kIdPause);
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(CountFiles(Right(L"src")), 20u);
    EXPECT_TRUE(StartsWith(WindowText(g_main.status), L"Done · "));
}

TEST_F(JobEnd, CancelShowsCancelledWithTheBarAtZeroAndVerifiesNothing) {
    OpenPanes(Engine::Robocopy, kLangZh, true);
    WriteFiles(Left(L"src"), 15, 16);
    UniqueHandle robocopy = CopySourceSlowly();
    ASSERT_TRUE(robocopy);
    Press(kIdCancel);
    ASSERT_TRUE(WaitUntilIdle());
    std::wstring status = WindowText(g_main.status);
    EXPECT_TRUE(StartsWith(status, L"已取消 · 已复制 ")) << WideToUtf8(status);
    EXPECT_EQ(BarPosition(), 0);
    std::wstring report = WindowText(g_main.report);
    EXPECT_TRUE(StartsWith(report, L"上次作业:  已取消\r\n")) << WideToUtf8(report);
    EXPECT_EQ(report.find(L"校验"), std::wstring::npos);
    EXPECT_FALSE(Exists(VerifyLog()));
    EXPECT_TRUE(g_job.cancelled);
    EXPECT_EQ(WaitForSingleObject(robocopy.get(), 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_LT(CountFiles(Right(L"src")), 15u);
}

TEST_F(JobEnd, ClosingTheWindowCancelsTheTransferAndDestroysTheWindowAfterTheEnd) {
    OpenPanes(Engine::Robocopy);
    WriteFiles(Left(L"src"), 15, 16);
    UniqueHandle robocopy = CopySourceSlowly();
    ASSERT_TRUE(robocopy);
    SendMessageW(window_, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(window_));  // not before the job has ended
    EXPECT_TRUE(g_main.closeAfterJob);
    ASSERT_TRUE(PumpUntil([&] { return !IsWindow(window_); }, 20000));
    window_ = nullptr;
    EXPECT_TRUE(g_job.cancelled);
    EXPECT_TRUE(g_job.finished);
    EXPECT_TRUE(StartsWith(g_kept.status, L"已取消 · 已复制 ")) << WideToUtf8(g_kept.status);
    EXPECT_EQ(WaitForSingleObject(robocopy.get(), 0), static_cast<DWORD>(WAIT_OBJECT_0));
}

TEST_F(JobEnd, EscapeCancelsOnlyWhileATransferRuns) {
    OpenPanes(Engine::Robocopy);
    WriteFiles(Left(L"src"), 15, 16);
    ShowStatusLine(L"idle");
    SendMessageW(window_, WM_KEYDOWN, VK_ESCAPE, 0);
    PumpMessages();
    EXPECT_EQ(WindowText(g_main.status), L"idle");
    EXPECT_FALSE(g_main.cancelRequested);
    ASSERT_TRUE(CopySourceSlowly());
    SendMessageW(window_, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_TRUE(g_job.cancelled);
    EXPECT_TRUE(StartsWith(WindowText(g_main.status), L"已取消 · 已复制 "));
}

// The engine skips a file whose size and time already match, so a
// destination file with other bytes survives the copy and differs.
TEST_F(JobEnd, VerifyReportsADifferingDestinationAndWritesTheLog) {
    OpenPanes(Engine::Native, kLangZh, true);
    WriteFiles(Left(L"src"), 3, 64);
    WriteBytesDeep(Right(L"src\\f1.bin"), std::string(64, 'Q'));
    ASSERT_TRUE(SetWriteTime(Right(L"src\\f1.bin"), WriteTime(Left(L"src\\f1.bin"))));
    CopySource();
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(WindowText(g_main.status), L"已完成，但校验有 1 个对不上");
    std::wstring summary = L"校验: 1 / 3 个对不上\n  " + Right(L"src\\f1.bin");
    EXPECT_EQ(ReadBytes(VerifyLog()), WideToUtf8(summary + L"\r\n"));
    EXPECT_EQ(VerifyLog(), ParentFolder(g_job.logPath) + L"\\verify-last.log");
    std::wstring report = WindowText(g_main.report);
    EXPECT_EQ(report.substr(report.size() - summary.size() - 2), L"\r\n" + summary)
        << WideToUtf8(report);
    EXPECT_EQ(BarPosition(), 100);
    EXPECT_EQ(g_job.result, kJobDone);
}

TEST_F(JobEnd, AVerifiedCleanCopyEndsWithTheDoneLine) {
    OpenPanes(Engine::Native, kLangEn, true);
    WriteFiles(Left(L"src"), 4, 100);
    CopySource();
    ASSERT_TRUE(WaitUntilIdle());
    std::wstring status = WindowText(g_main.status);
    EXPECT_TRUE(StartsWith(status, L"Done · ")) << WideToUtf8(status);
    EXPECT_EQ(ReadBytes(VerifyLog()), "Verify: 4 files, all identical\r\n");
    std::wstring report = WindowText(g_main.report);
    EXPECT_NE(report.find(L"\r\nVerify: 4 files, all identical"), std::wstring::npos)
        << WideToUtf8(report);
}

// The menu opens a hash list in the window and reads its files again.
TEST_F(JobEnd, TheMenuChecksAHashListInTheWindow) {
    OpenPanes(Engine::Native);
    const std::wstring list = Right(L"SHA256SUMS");
    ASSERT_TRUE(WriteBytes(Right(L"a.txt"), "a"));
    ASSERT_TRUE(WriteBytes(list, std::string(kSha256OfA) + " *a.txt\n"));
    auto checkThroughTheMenu = [&] {
        std::thread user([&] {
            FoundWindow picker = WaitForDialog([](HWND w) {
                return OfThisProcess(w) && WindowText(w) == L"选择要校验的哈希清单（SHA256SUMS）";
            });
            if (!picker.window) return;
            SendMessageW(FirstChild(picker.window, L"Edit"), WM_SETTEXT, 0,
                         reinterpret_cast<LPARAM>(list.c_str()));
            PressButton(picker.window, IDOK);
        });
        Press(kIdCheckHashes);
        user.join();
    };
    checkThroughTheMenu();
    EXPECT_EQ(WindowText(g_main.report), L"校验: 1 个文件全一致");
    EXPECT_EQ(ReadBytes(VerifyLog()), WideToUtf8(L"校验: 1 个文件全一致\r\n"));

    ASSERT_TRUE(WriteBytes(Right(L"a.txt"), "A"));  // behind the program's back
    checkThroughTheMenu();
    EXPECT_EQ(WindowText(g_main.status), L"校验: 1 / 1 个对不上");
    EXPECT_FALSE(g_main.running);
}

// Within one volume a move renames: no byte moved, so nothing is compared
// and nothing reported, verify on or not.
TEST_F(JobEnd, AMoveByRenameHasNothingToVerify) {
    OpenPanes(Engine::Native, kLangZh, true);
    WriteFiles(Left(L"src"), 3, 64);
    auto before = TreeDigest(Left(L"src"));
    SelectLeft({L"src"});
    Press(kIdMoveRight);
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_TRUE(StartsWith(WindowText(g_main.status), L"已完成 · "));
    EXPECT_FALSE(Exists(VerifyLog()));
    EXPECT_EQ(WindowText(g_main.report).find(L"校验"), std::wstring::npos);
    EXPECT_EQ(TreeDigest(Right(L"src")), before);
    EXPECT_FALSE(Exists(Left(L"src")));
    EXPECT_EQ(RowNames(g_main.leftList), std::vector<std::wstring>{L".."});
}

TEST_F(JobEnd, AFailedSourceWithALongLogPathShowsTheShortFailureLine) {
    TaskbarLog taskbar;
    OpenPanes(Engine::Robocopy, kLangEn, true);
    WriteFiles(Left(L"src"), 2, 16);
    EnvGuard failing(L"ZRW_FAKE_ROBO_EXIT", L"8");
    CopySource();
    ASSERT_TRUE(WaitUntilIdle());
    ASSERT_GT(g_job.logPath.size(), 40u);
    EXPECT_EQ(WindowText(g_main.failure), L"1 items failed (click ⋮ for the log)");
    std::wstring status = WindowText(g_main.status);
    EXPECT_TRUE(StartsWith(status, L"Failed · ")) << WideToUtf8(status);
    EXPECT_TRUE(StartsWith(WindowText(g_main.report), L"Last job:  failed\r\n"));
    EXPECT_FALSE(Exists(VerifyLog()));
    EXPECT_EQ(taskbar.last(), (TaskbarProgress{TaskbarMark::Error, 100}));
}

TEST_F(JobEnd, AJobEndingBehindAnotherWindowIsToldFromTheTray) {
    TrayNotes tray;
    OpenPanes(Engine::Native, kLangEn);
    ASSERT_TRUE(TrayIconAdded());
    WriteFiles(Left(L"src"), 3, 64);
    CopySource();
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_TRUE(tray.notes().empty()) << "the window in front shows the end itself";

    HWND other = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 40, 40, nullptr,
                                 nullptr, nullptr, nullptr);
    ASSERT_TRUE(other);
    SetForegroundWindow(other);
    PumpMessages();
    ASSERT_EQ(GetForegroundWindow(), other);
    CopySource();
    ASSERT_TRUE(WaitUntilIdle());
    DestroyWindow(other);
    ASSERT_EQ(tray.notes().size(), 1u);
    const NOTIFYICONDATAW& note = tray.notes().front();
    EXPECT_EQ(note.hWnd, window_);
    EXPECT_EQ(std::wstring(note.szInfoTitle), L"Zerrow Pro — Fast Copy");
    EXPECT_EQ(std::wstring(note.szInfo), WindowText(g_main.status));
    EXPECT_TRUE(StartsWith(note.szInfo, L"Done · ")) << WideToUtf8(note.szInfo);
    EXPECT_EQ(note.dwInfoFlags, static_cast<DWORD>(NIIF_INFO));
}

// The verification walk dispatches messages: the window must still count as
// busy then. One small file first, so that the walk shows itself, then a big
// one, whose comparison gives the second thread its time, then more files.
class DuringTheWalk : public JobEnd {
protected:
    void SetUp() override {
        JobEnd::SetUp();
        OpenPanes(Engine::Native, kLangZh, true);
        WriteBytesDeep(Left(L"a\\first.txt"), "first");
        std::string big(48 << 20, 'b');
        WriteBytesDeep(Left(L"b\\big.bin"), big);
        WriteFiles(Left(L"c"), 20, 16);
        SelectLeft({L"a", L"b", L"c"});
    }
};

// What the window showed when it was destroyed.
struct AtDestroy {
    bool seen = false;
    bool running = true;
    std::wstring report;
};

LRESULT CALLBACK WatchDestroy(HWND window, UINT message, WPARAM wp, LPARAM lp, UINT_PTR id,
                              DWORD_PTR data) {
    if (message == WM_DESTROY) {
        auto* at = reinterpret_cast<AtDestroy*>(data);
        at->seen = true;
        at->running = g_main.running;
        at->report = WindowText(g_main.report);
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(window, WatchDestroy, id);
    return DefSubclassProc(window, message, wp, lp);
}

TEST_F(DuringTheWalk, ClosingTheWindowAbortsTheWalkAndDestroysTheWindowAfterTheEnd) {
    AtDestroy at;
    ASSERT_TRUE(SetWindowSubclass(window_, WatchDestroy, 1, reinterpret_cast<DWORD_PTR>(&at)));
    HWND window = window_;
    std::thread closer = WhenVerifying([window] { PostMessageW(window, WM_CLOSE, 0, 0); });
    Press(kIdCopyRight);
    bool destroyed = PumpUntil([&] { return !IsWindow(window_); }, 60000);
    closer.join();
    ASSERT_TRUE(destroyed);
    window_ = nullptr;
    ASSERT_TRUE(at.seen);
    EXPECT_FALSE(at.running);
    EXPECT_TRUE(StartsWith(at.report, L"上次作业:  已完成\r\n")) << WideToUtf8(at.report);
    EXPECT_FALSE(g_job.cancelled);  // the copy itself was complete
    EXPECT_EQ(TreeDigest(Right(L"c")), TreeDigest(Left(L"c")));
    // Stopped after the first file or the big one, never at the end.
    std::string log = ReadBytes(VerifyLog());
    EXPECT_TRUE(log == WideToUtf8(L"校验中断: 已核对 1 个\r\n") ||
                log == WideToUtf8(L"校验中断: 已核对 2 个\r\n"))
        << log;
    EXPECT_TRUE(StartsWith(g_kept.report, L"上次作业:  已完成\r\n"));
    EXPECT_NE(g_kept.report.find(L"\r\n校验中断: 已核对 "), std::wstring::npos);
}

// The walk's bar and status line start from 0 of the job's bytes, and the
// report holds the copy's outcome meanwhile.
TEST_F(DuringTheWalk, TheWalkIsAPhaseOfItsOwn) {
    TaskbarLog taskbar;
    Press(kIdCopyRight);
    ASSERT_TRUE(WaitUntilIdle(60000));
    const auto& shown = taskbar.shown();
    auto walk = std::find_if(shown.begin(), shown.end(), [](const TaskbarLog::Shown& s) {
        return StartsWith(s.status, L"校验中… 已核对 ");
    });
    ASSERT_NE(walk, shown.end());
    EXPECT_EQ(walk->status, L"校验中… 已核对 0 B / 48.00 MB   ·   0%   ·   剩余时间: 正在计算…");
    EXPECT_EQ(walk->progress, (TaskbarProgress{TaskbarMark::Normal, 0}));
    EXPECT_TRUE(StartsWith(walk->report, L"上次作业:  已完成\r\n")) << WideToUtf8(walk->report);
    EXPECT_EQ(walk->report.find(L"校验"), std::wstring::npos);
    EXPECT_EQ(taskbar.last(), TaskbarProgress{});
    EXPECT_EQ(BarPosition(), 100);
}

TEST_F(DuringTheWalk, EnterOrCopyStartsNothingAndLeavesTheJobAlone) {
    HWND window = window_;
    std::thread presser = WhenVerifying([window] {
        PostMessageW(window, WM_KEYDOWN, VK_RETURN, 0);
        PostMessageW(window, WM_COMMAND, kIdCopyRight, 0);
        PostMessageW(window, WM_COMMAND, kIdMoveRight, 0);
    });
    Press(kIdCopyRight);
    bool idle = WaitUntilIdle(60000);
    presser.join();
    ASSERT_TRUE(idle);
    PumpMessages();
    EXPECT_FALSE(g_main.running);
    EXPECT_EQ(g_job.sources.size(), 3u);
    EXPECT_TRUE(g_job.finished);
    EXPECT_EQ(ReadBytes(VerifyLog()), WideToUtf8(L"校验: 22 个文件全一致\r\n"));
    EXPECT_TRUE(StartsWith(WindowText(g_main.status), L"已完成 · "));
    EXPECT_TRUE(Exists(Left(L"a\\first.txt")));  // not moved afterwards either
}

// A quit taken from the queue by the walk's message pump must still reach
// the loop that waits for it, and the walk must not go on without a loop.
TEST_F(DuringTheWalk, AQuitMessageStopsTheWalkAndIsPostedAgain) {
    DWORD thread = GetCurrentThreadId();
    std::thread quitter = WhenVerifying([thread] { PostThreadMessageW(thread, WM_QUIT, 7, 0); });
    Press(kIdCopyRight);
    int quitCode = -1;
    WaitUntil(
        [&] {
            for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) {
                if (msg.message == WM_QUIT) quitCode = static_cast<int>(msg.wParam);
                else DispatchMessageW(&msg);
            }
            return !g_main.running;
        },
        60000);
    quitter.join();
    ASSERT_FALSE(g_main.running);
    MSG msg;
    if (quitCode < 0 && PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        quitCode = static_cast<int>(msg.wParam);
    EXPECT_EQ(quitCode, 7);
    EXPECT_TRUE(StartsWith(Utf8ToWide(ReadBytes(VerifyLog())), L"校验中断: 已核对 "));
    EXPECT_TRUE(IsWindow(window_));
}

}  // namespace
}  // namespace zrw::test
