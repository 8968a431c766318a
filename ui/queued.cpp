// The window's job while it waits for its turn on its volumes: the waiting
// text in the status line, "Start now" in the pause button's place.
#include "app/lang.h"
#include "app/settings.h"
#include "job/job.h"
#include "job/queue.h"
#include "ui/job_display.h"
#include "ui/window.h"

namespace zrw {

namespace {

constexpr UINT kQueuePollMs = 300;

QueuePlace g_place;
bool g_waiting = false;

void ShowWaiting() {
    std::wstring text = WaitingText(g_place.Holder(), UiLang);
    if (text != g_kept.status) ShowStatusLine(text);
}

void EndWaiting() {
    g_waiting = false;
    KillTimer(g_main.window, kQueueTimer);
    // The time in the queue is not the job's.
    g_job.speed.startTick = GetTickCount64();
}

}  // namespace

bool JoinWindowQueue() {
    g_place.Join(JobVolumes(g_job), JobLabel(g_job));
    if (g_noQueue || g_place.WaitReady(kQuickTurnMs)) return true;
    MainState& m = g_main;
    g_waiting = true;
    m.running = true;
    m.cancelRequested = false;
    SetWindowIdle(false);
    SetWindowTextW(m.pauseButton, Tr(L"立即开始").c_str());
    ShowWaiting();
    SetTimer(m.window, kQueueTimer, kQueuePollMs, nullptr);
    return false;
}

void OnQueueTimer() {
    if (!g_waiting) return;
    if (g_main.cancelRequested) {
        EndWaiting();
        g_job.cancelled = true;
        FinishJob(g_job, g_main.window);
    } else if (g_place.Ready()) {
        EndWaiting();
        BeginWindowJob();
    } else {
        ShowWaiting();
    }
}

bool StartQueuedNow() {
    if (!g_waiting) return false;
    EndWaiting();
    BeginWindowJob();
    return true;
}

void LeaveWindowQueue() {
    if (!g_waiting) g_place.Leave();
}

}  // namespace zrw
