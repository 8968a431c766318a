// The main window's display of its job: progress texts, pause, verification and the end.
#include "ui/job_display.h"
#include "app/lang.h"
#include "app/logdir.h"
#include "engine/driver.h"
#include "job/control.h"
#include "ui/panes.h"
#include "ui/pickers.h"
#include "ui/taskbar.h"
#include "ui/tray.h"
#include "ui/window.h"
#include "verify/hashlist.h"
#include "verify/verify.h"

#include <commctrl.h>

namespace zrw {

KeptTexts g_kept;

namespace {

// The end panel lists this many failed files; the job log has them all.
constexpr size_t kFailuresListed = 500;

// Set while the end display runs: its verification dispatches messages, and a
// second end must not start inside the first.
bool g_showingEnd = false;

void SetText(HWND control, std::wstring& kept, const std::wstring& text) {
    kept = text;
    if (control) SetWindowTextW(control, text.c_str());
}

// A stalled job repaints nothing.
void SetIfChanged(HWND control, std::wstring& kept, const std::wstring& text) {
    if (text != kept) SetText(control, kept, text);
}

void SetBarPosition(int position) {
    SendMessageW(g_main.progress, PBM_SETPOS, static_cast<WPARAM>(position), 0);
    if (g_main.bar) InvalidateRect(g_main.bar, nullptr, FALSE);
}

// The verification's own progress, shown at most every quarter second: the
// walk calls after every file.
SpeedState g_verifySpeed;
uint64_t g_verifyShownAt = 0;
bool g_onlyHashing = false;  // the copy is read for its hash list, not compared
constexpr uint64_t kVerifyShowEveryMs = 250;

void ShowVerifying(uint64_t now) {
    SampleSpeedAt(g_verifySpeed, now);
    PhaseDisplay d = VerifyingDisplay(g_job.totalBytes, g_verifySpeed, UiLang, now, g_onlyHashing);
    SetText(g_main.status, g_kept.status, d.status);
    SetBarPosition(d.percent);
    ShowTaskbar(g_main.window, RunningTaskbar(d.percent, false, 0));
    g_verifyShownAt = now;
}

bool WindowVerifyHook(uint64_t verifiedBytes) {
    g_verifySpeed.bytesDone = verifiedBytes;
    uint64_t now = GetTickCount64();
    if (now - g_verifyShownAt >= kVerifyShowEveryMs) ShowVerifying(now);
    return RunnerVerifyHook(verifiedBytes) && !g_main.cancelRequested;
}

// A phase of its own: the copy's figures stand in the report while the bar
// and the status line follow the comparison from 0.
uint64_t VerifyInWindow(EndDisplay& end) {
    SetText(g_main.report, g_kept.report, end.report);
    g_verifySpeed = SpeedState{};
    g_verifySpeed.startTick = GetTickCount64();
    g_onlyHashing = !ComparesAtEnd(g_job);
    ShowVerifying(g_verifySpeed.startTick);
    JobProof proof = VerifyJob(g_job, WindowVerifyHook);
    std::wstring text = ProofText(g_job, proof);
    if (!text.empty()) end.report += L"\r\n" + text;
    // The walk left its progress in the status line; the outcome replaces it.
    uint64_t differing = proof.result.differing;
    if (differing) end.status = VerifyDifferText(differing, UiLang);
    SetText(g_main.status, g_kept.status, end.status);
    SetBarPosition(100);
    return differing;
}

// A hash list opened in the window is read again as a phase of its own,
// with the window busy as during a verification.
std::wstring CheckInWindow(const std::wstring& listFile, uint64_t& differing) {
    g_main.running = true;
    g_main.cancelRequested = false;
    SetWindowIdle(false);
    g_verifySpeed = SpeedState{};
    g_verifySpeed.startTick = GetTickCount64();
    g_onlyHashing = false;
    ShowVerifying(g_verifySpeed.startTick);
    VerifiedBytes = 0;
    VerifyProgressHook = WindowVerifyHook;
    HashCheck check = CheckHashList(listFile);
    VerifyProgressHook = nullptr;
    g_main.running = false;
    g_main.cancelRequested = false;
    SetWindowIdle(true);
    differing = check.result.differing;
    return ReportHashCheck(check, listFile);
}

TrayNote EndNote(const CopyJob& job, uint64_t differing) {
    if (job.failedSources != 0 || differing != 0) return TrayNote::Error;
    return job.cancelled ? TrayNote::Warning : TrayNote::Info;
}

class WindowJobView final : public JobView {
public:
    void ShowProgress() override { UpdateProgress(g_main.window); }
    bool CancelRequested() const override { return g_main.cancelRequested; }
    bool Paused() const override { return g_main.running && g_main.paused; }
    void ShowEnd() override { ShowJobEnd(); }
};

}  // namespace

JobView& MainWindowJobView() {
    static WindowJobView view;
    return view;
}

void TogglePause() {
    TraceLog(L"PAUSE: in running=%d paused=%d btn=%p", g_main.running ? 1 : 0,
             g_main.paused ? 1 : 0, g_main.pauseButton);
    // After a job with failures the button offers their retry.
    if (!g_main.running) return StartRetryTransfer();
    g_main.paused = !g_main.paused;
    SetWindowTextW(g_main.pauseButton, Tr(g_main.paused ? L"继续" : L"暂停").c_str());
    TraceLog(L"PAUSE: text set -> paused=%d err=%lu", g_main.paused ? 1 : 0, GetLastError());
    PauseRun(g_job, g_main.paused);
    PauseSpeedAt(g_job.speed, g_main.paused, GetTickCount64());
    UpdateProgress(g_main.window);
}

void ResetPause() {
    g_main.paused = false;
    // A pause left over from a cancelled native run would hold the next
    // run's workers for ever.
    PauseEngine(false);
    PauseSpeedAt(g_job.speed, false, GetTickCount64());
    if (g_main.pauseButton) SetWindowTextW(g_main.pauseButton, Tr(L"暂停").c_str());
}

void ShowStatusLine(const std::wstring& text) { SetText(g_main.status, g_kept.status, text); }

void CheckHashListInWindow() {
    std::wstring picked;
    if (g_main.running ||
        !PickFile(g_main.window, Tr(L"选择要校验的哈希清单（SHA256SUMS）"), picked))
        return;
    uint64_t differing = 0;
    std::wstring report = CheckInWindow(picked, differing);
    SetText(g_main.report, g_kept.report, report);
    SetText(g_main.status, g_kept.status, report.substr(0, report.find(L'\n')));
    SetBarPosition(100);
    ShowTaskbar(g_main.window, EndTaskbar(false, 0, differing));
}

void UpdateProgress(HWND window) {
    RunningDisplay d = RunningTexts(g_job, UiLang, g_main.paused, GetTickCount64());
    SetBarPosition(d.percent);
    SetIfChanged(g_main.status, g_kept.status, d.status);
    SetIfChanged(g_main.report, g_kept.report, d.report);
    SetIfChanged(g_main.failure, g_kept.failure, d.failure);
    SetIfChanged(window, g_kept.caption, d.caption);
    ShowTaskbar(window, RunningTaskbar(d.percent, g_main.paused, g_job.failedSources));
}

void ShowJobEnd() {
    if (g_showingEnd) return;
    g_showingEnd = true;
    MainState& m = g_main;
    KillTimer(m.window, kJobTimer);
    // running stays set until the window is idle again: the verification
    // dispatches messages, and a transfer started then would reset the job
    // under the walk, or a close would destroy the window in the middle of it.
    m.cancelRequested = false;
    ResetPause();
    EndDisplay end = EndTexts(g_job, UiLang, GetTickCount64());
    SetText(m.status, g_kept.status, end.status);
    SetBarPosition(end.position);
    SetText(m.window, g_kept.caption, g_appTitle);
    SetText(m.failure, g_kept.failure, end.failure);
    end.report += L"\r\n" + CountsText(g_job, UiLang);
    uint64_t differing = WantsVerification(g_job) ? VerifyInWindow(end) : 0;
    LoggedJob logged;
    m.retryLog.clear();
    if (!g_job.cancelled && ReadJobLog(g_job.logPath, logged) && !logged.failures.empty()) {
        end.report += L"\r\n\r\n" + Tr(L"失败的文件：") + L"\r\n" +
                      FailureList(logged.failures, UiLang, kFailuresListed);
        m.retryLog = g_job.logPath;
    }
    SetText(m.report, g_kept.report, end.report);
    ShowTaskbar(m.window, EndTaskbar(g_job.cancelled, g_job.failedSources, differing));
    // Told where it is seen when the window is not: a closing window says nothing.
    if (GetForegroundWindow() != m.window && !m.closeAfterJob)
        ShowTrayNote(g_appTitle, end.status, EndNote(g_job, differing));
    ListFolder(m.leftList, m.leftFolder);
    ListFolder(m.rightList, m.rightFolder);
    // Cancel or pause pressed during the verification belong to this job.
    m.running = false;
    m.cancelRequested = false;
    ResetPause();
    SetWindowIdle(true);
    if (!m.retryLog.empty()) {
        std::wstring retry = Tr(L"重试失败的 (") + std::to_wstring(logged.failures.size()) + L")";
        SetWindowTextW(m.pauseButton, retry.c_str());
        EnableWindow(m.pauseButton, TRUE);
    }
    if (m.closeAfterJob) {
        m.closeAfterJob = false;
        DestroyWindow(m.window);
    }
    g_showingEnd = false;
}

}  // namespace zrw
