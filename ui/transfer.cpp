// Transfers started from the main window, in either direction.
#include "app/lang.h"
#include "app/settings.h"
#include "base/paths.h"
#include "engine/safety.h"
#include "engine/scan.h"
#include "job/control.h"
#include "job/job.h"
#include "ui/job_display.h"
#include "ui/panes.h"
#include "ui/window.h"

#include <commctrl.h>

#include <algorithm>

namespace zrw {

namespace {

const int kPathBoxChars = 32768;

void ShowMessageBox(const wchar_t* zh, UINT icon) {
    MessageBoxW(g_main.window, Tr(zh).c_str(), g_appTitle.c_str(), MB_OK | icon);
}

std::wstring PathBoxText(HWND box) {
    std::wstring text(kPathBoxChars, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(box, text.data(), kPathBoxChars)));
    return text;
}

// Sources that dropped out of the scan leave the selection too.
void KeepScannedSources() {
    std::vector<std::wstring>& selection = g_main.sourceSelection;
    if (g_job.sources.size() == selection.size()) return;
    selection.clear();
    for (const SourceItem& source : g_job.sources) selection.push_back(source.path);
}

// Refused before anything starts, with the reason in the job log as well.
bool Refused() {
    std::wstring text = RefuseJob(g_job);
    if (text.empty()) return false;
    ShowStatusLine(L"");
    bool overlap = std::any_of(g_job.refusals.begin(), g_job.refusals.end(),
                               [](const Refusal& r) { return r.kind == Refusal::Kind::Overlap; });
    if (overlap) text = Tr(L"目标在源里面（会自己复制自己），换一个目标文件夹。");
    MessageBoxW(g_main.window, text.c_str(), g_appTitle.c_str(), MB_OK | MB_ICONINFORMATION);
    return true;
}

// A scanned and prepared job: its checks, the conflict policy, then its turn
// on its disks.
void LaunchPreparedJob(ConflictPolicy conflict) {
    if (Refused()) return;
    if (!ResolveConflicts(g_job, g_main.window, conflict)) {
        ShowStatusLine(Tr(L"已取消"));
        return;
    }
    if (!PassesChecksBeforeFirstByte(g_job, g_main.window)) {
        ShowStatusLine(L"");
        return;
    }
    g_job.view = &MainWindowJobView();
    if (JoinWindowQueue()) BeginWindowJob();
}

void StartTimerAndDisplay() {
    MainState& m = g_main;
    m.running = true;
    m.cancelRequested = false;
    ResetPause();
    SendMessageW(m.progress, PBM_SETRANGE32, 0, 100);
    SendMessageW(m.progress, PBM_SETPOS, 0, 0);
    if (m.bar) InvalidateRect(m.bar, nullptr, FALSE);
    SetWindowIdle(false);
    SetTimer(m.window, kJobTimer, 300, nullptr);
    UpdateProgress(m.window);
}

}  // namespace

void StartWindowTransfer(bool move) {
    MainState& m = g_main;
    if (m.running) return;
    std::wstring destination = FullPath(PathBoxText(m.rightPath));
    if (m.sourceSelection.empty()) {
        ShowMessageBox(L"先在左栏选中要搬的文件/文件夹（或直接拖进来）。", MB_ICONINFORMATION);
        return;
    }
    if (destination.empty()) {
        ShowMessageBox(L"先在右栏选好目标文件夹。", MB_ICONINFORMATION);
        return;
    }
    if (move && destination.size() <= 3) {
        ShowMessageBox(L"目标不能是盘根 —— 会变成把整盘当垃圾桶。", MB_ICONWARNING);
        return;
    }
    m.destination = destination;
    ShowStatusLine(Tr(L"正在统计…"));
    RedrawWindow(m.window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    if (!ScanJob(m.sourceSelection)) {
        ShowStatusLine(Tr(L"没有可搬的源（路径不存在或无权限）"));
        return;
    }
    KeepScannedSources();
    PrepareJob(destination, move);
    LaunchPreparedJob(g_settings.conflict);
}

void StartRetryTransfer() {
    MainState& m = g_main;
    LoggedJob logged;
    if (m.running || m.retryLog.empty() || !ReadJobLog(m.retryLog, logged) || !logged.recorded ||
        logged.failures.empty())
        return;
    m.retryLog.clear();
    m.destination = logged.destination;
    ShowStatusLine(Tr(L"正在统计…"));
    if (!PrepareRetry(logged)) {
        ShowStatusLine(Tr(L"没有可搬的源（路径不存在或无权限）"));
        return;
    }
    LaunchPreparedJob(logged.conflict);
}

void BeginWindowJob() {
    if (!StartNextSource(g_job)) {
        ShowStatusLine(Tr(L"起不了vozi（robocopy）进程"));
        g_main.running = false;
        SetWindowIdle(true);
        return;
    }
    StartTimerAndDisplay();
}

void StartReverseTransfer(bool move) {
    MainState& m = g_main;
    if (m.running) return;
    std::vector<std::wstring> picked;
    CollectSelection(m.rightList, m.rightFolder, picked);
    if (picked.empty()) {
        ShowMessageBox(L"先在右栏选中要搬回左栏的项。", MB_ICONINFORMATION);
        return;
    }
    std::vector<std::wstring> keptSelection = m.sourceSelection;
    std::wstring keptDestination = m.destination;
    m.sourceSelection = std::move(picked);
    m.destination = TrimSeparators(m.leftFolder);
    SetWindowTextW(m.rightPath, m.destination.c_str());
    StartWindowTransfer(move);
    m.sourceSelection = std::move(keptSelection);
    m.destination = std::move(keptDestination);
    SetWindowTextW(m.rightPath, m.rightFolder.c_str());
}

void RefreshTitleLine() {
    const MainState& m = g_main;
    if (!m.title) return;
    std::wstring text;
    if (m.running) {
        text = Tr(L"搬运中…（点「取消」可以停下）");
    } else if (!m.sourceSelection.empty()) {
        std::wstring right = TrimSeparators(m.rightFolder);
        text = Tr(L"已选 ") + std::to_wstring(m.sourceSelection.size()) + Tr(L" 项  →  ") +
               (right.empty() ? Tr(L"(右栏选去处)") : right);
    } else {
        text = Tr(L"先选源（左栏）→ 再选去处（右栏）→ 点「复制 →」   （每一步的说明看下方面板）");
    }
    SetWindowTextW(m.title, text.c_str());
}

}  // namespace zrw
