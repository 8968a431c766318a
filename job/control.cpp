// Starts a job's engine runs one after the other and ticks, pauses and cancels the running one.
#include "job/control.h"
#include "app/lang.h"
#include "app/logdir.h"
#include "app/settings.h"
#include "base/format.h"
#include "base/optional_api.h"
#include "base/paths.h"
#include "base/process.h"
#include "engine/driver.h"
#include "engine/joblog.h"
#include "engine/safety.h"
#include "engine/scan.h"
#include "engine/settle.h"
#include "robo/robo.h"

#include <memory>

namespace zrw {

namespace {

// A native run that has been started and not yet joined, and its thread.
bool g_nativeRunning = false;
UniqueHandle g_engineThread;
DWORD g_engineThreadId = 0;

// The check of a robocopy run's copies (and a move's deletions) on a thread
// of its own: a large tree on a share must not hold the window.
struct SettleRun {
    std::vector<SourceItem> sources;
    std::wstring destination;
    std::wstring logPath;
    bool move = false;
    ConflictPolicy conflict = ConflictPolicy::Replace;
    bool copyFailed = false;  // robocopy's exit code already counted the run failed
    SettleProgress progress;
    SettleResult result;
    std::atomic<bool> done{false};
};
std::unique_ptr<SettleRun> g_settle;
UniqueHandle g_settleThread;

uint64_t g_lastTraceTick = 0;

bool ReadProcessWriteCount(HANDLE process, uint64_t& written) {
    IO_COUNTERS counters{};
    if (!GetProcessIoCounters(process, &counters)) return false;
    written = counters.WriteTransferCount;
    return true;
}

void SuspendOrResume(HANDLE process, bool suspend) {
    NtProcessCallFn call = suspend ? OptionalNtSuspendProcess() : OptionalNtResumeProcess();
    if (call) call(process);
}

// The job was checked before it started; each run is checked again at the
// last moment, because a move onto or into its own source would delete the
// only copy. The sources that pass, in order.
std::vector<SourceItem> RunSources(CopyJob& job) {
    std::span<const SourceItem> candidates(
        job.sources.begin() + static_cast<ptrdiff_t>(job.current),
        job.sources.begin() + static_cast<ptrdiff_t>(job.runEnd));
    std::vector<SourceItem> run(candidates.begin(), candidates.end());
    for (const Refusal& refusal : CheckSources(run, {}, job.destination)) {
        LogLine(job,
                L"目标在源里面(会自己复制自己), 跳过 " + refusal.first + L" -> " + refusal.second);
        job.failedSources += 1;
        std::erase_if(run, [&](const SourceItem& item) { return item.path == refusal.first; });
    }
    return run;
}

// A file is never one of the protected places: only folders are asked.
bool MovesSource(const CopyJob& job, const SourceItem& source) {
    return job.move && !(source.isFolder && IsProtectedLocation(source.path));
}

// The folder a source goes into.
const std::wstring& LandsIn(const CopyJob& job, const SourceItem& source) {
    return source.landsIn.empty() ? job.destination : source.landsIn;
}

// How many sources from the current one the next run takes, and whether it
// moves them. The native engine plans them all at once into one pool, as long
// as each is moved or each copied into one folder; robocopy takes a folder,
// or the files of one folder.
size_t RunLength(const CopyJob& job, bool native, bool& move) {
    std::span<const SourceItem> rest(job.sources.begin() + static_cast<ptrdiff_t>(job.current),
                                     job.sources.end());
    move = MovesSource(job, rest.front());
    if (!native) return RobocopyRunLength(rest);
    const std::wstring& folder = LandsIn(job, rest.front());
    size_t count = 1;
    while (count < rest.size() && MovesSource(job, rest[count]) == move &&
           CompareNames(LandsIn(job, rest[count]), folder) == 0)
        ++count;
    return count;
}

bool StartRobocopy(CopyJob& job, std::span<const SourceItem> run) {
    std::wstring command = BuildRobocopyCommand(
        run, {job.destination, job.logPath, job.move, job.conflict, job.maxFileSize});
    StartedProcess started = StartHiddenProcess(RobocopyPath(), std::move(command));
    if (!started.process) {
        LogLine(job, L"起不了 robocopy 进程 (错误 " + std::to_wstring(started.error) + L") " +
                         run.front().path);
        return false;
    }
    job.process = std::move(started.process);
    // A run that starts during a pause must not run ahead of it.
    if (job.view && job.view->Paused()) SuspendOrResume(job.process.get(), true);
    return true;
}

bool StartNative(CopyJob& job, std::span<const SourceItem> run, bool move) {
    std::vector<std::wstring> paths;
    paths.reserve(run.size());
    for (const SourceItem& source : run) paths.push_back(source.path);
    ResetEngineRun();
    g_nativeRunning = true;
    // The plan appends each source's own name, so a folder lands at
    // destination\name exactly as with robocopy.
    auto* params = new EngineParams{
        std::move(paths), LandsIn(job, run.front()), move, job.logPath, job.conflict,
        job.maxFileSize};
    g_engineThread.reset(CreateThread(nullptr, 0, EngineThread, params, 0, &g_engineThreadId));
    if (g_engineThread) return true;
    LogLine(job, L"起不了原生引擎线程 (错误 " + std::to_wstring(GetLastError()) + L") " +
                     run.front().path);
    delete params;
    g_nativeRunning = false;
    g_engineThreadId = 0;
    return false;
}

void JoinEngineThread() {
    if (g_engineThread) WaitForSingleObject(g_engineThread.get(), INFINITE);
    g_engineThread.reset();
    g_engineThreadId = 0;
    g_nativeRunning = false;
}

DWORD WINAPI SettleThread(void* param) {
    auto& run = *static_cast<SettleRun*>(param);
    OpenJobLog(run.logPath);
    run.result = SettleCopies(run.sources, run.destination, run.move, run.conflict, run.progress);
    CloseJobLog();
    run.done = true;
    return 0;
}

void JoinSettleThread() {
    if (g_settleThread) WaitForSingleObject(g_settleThread.get(), INFINITE);
    g_settleThread.reset();
    g_settle.reset();
}

void NextRun(CopyJob& job) {
    job.bytesBefore += job.bytesCurrent;
    job.skippedBefore += job.skippedCurrent;
    job.skippedCurrent = 0;
    job.bytesCurrent = 0;
    job.current = job.runEnd;
    StartNextSource(job);
}

void EndedRun(CopyJob& job, uint32_t exitCode) {
    job.lastExitCode = exitCode;
    job.exitCodes.push_back(exitCode);
    if (IsFailureExitCode(exitCode)) job.failedSources += 1;
}

// A robocopy that ended from outside (a task manager, a log-off) exits with
// whatever code its killer chose, so what is on disk decides, on a thread of
// its own: a copy whose target lacks a file, or has it at another size or
// time, did not finish; a move deletes exactly the sources whose copies are
// there, which robocopy itself is never asked to do.
void SettleRobocopy(CopyJob& job, uint32_t exitCode) {
    bool copyFailed = IsFailureExitCode(exitCode);
    bool move = job.move;
    auto run = std::make_unique<SettleRun>();
    run->sources.assign(job.sources.begin() + static_cast<ptrdiff_t>(job.current),
                        job.sources.begin() + static_cast<ptrdiff_t>(job.runEnd));
    run->destination = job.destination;
    run->logPath = job.logPath;
    run->move = move;
    run->conflict = job.conflict;
    run->copyFailed = copyFailed;
    g_settleThread.reset(CreateThread(nullptr, 0, SettleThread, run.get(), 0, nullptr));
    if (!g_settleThread) {
        LogLine(job, L"起不了核对线程, 源都留着 (错误 " + std::to_wstring(GetLastError()) + L") " +
                         run->sources.front().path);
        if (!copyFailed) job.failedSources += 1;
        return NextRun(job);
    }
    g_settle = std::move(run);
    job.checking = true;
    job.checkedFiles = 0;
}

void EndedSettle(CopyJob& job) {
    const SettleRun& run = *g_settle;
    bool clean = run.result.Clean();
    if (!clean && !run.copyFailed && !run.result.cancelled) {
        job.failedSources += 1;
        if (run.result.missing > 0 || run.result.unlisted)
            LogLine(job, (run.move ? L"robocopy 结束了, 但源里还有文件(没搬完) "
                                   : L"robocopy 结束了, 但目标里缺文件(没复制完) ") +
                             run.sources.front().path);
    }
    job.counts.copied += run.result.done;
    job.counts.skipped += run.result.skipped;
    job.counts.failed += run.result.missing + run.result.kept;
    job.checkedFiles = run.progress.files.load();
    job.checking = false;
    JoinSettleThread();
    NextRun(job);
}

// True when the tick ended the job through the dialog or the window.
bool ShowProgress(CopyJob& job, HWND window) {
    if (IProgressDialog* dialog = job.progressDialog.get()) {
        dialog->SetProgress64(job.speed.bytesDone, job.totalBytes ? job.totalBytes : 1);
        std::wstring total = job.totalBytes ? FormatSize(job.totalBytes) : L"?";
        std::wstring copied = Tr(L"已复制 ") + FormatSize(job.speed.bytesDone) + L" / " + total;
        dialog->SetLine(2, copied.c_str(), FALSE, nullptr);
        std::wstring speed;
        if (job.checking) speed = CheckingText(job.checkedFiles, UiLang);
        else if (job.speed.speed > 0)
            speed = Tr(L"速度 ") + FormatSize(static_cast<uint64_t>(job.speed.speed)) + L"/s";
        dialog->SetLine(3, speed.c_str(), FALSE, nullptr);
        if (!dialog->HasUserCancelled()) return false;
    } else if (job.view) {
        job.view->ShowProgress();
        if (!job.view->CancelRequested()) return false;
    } else {
        return false;
    }
    CancelJob(job);
    FinishJob(job, window);
    return true;
}

}  // namespace

HANDLE RunningSource(const CopyJob& job) {
    if (job.process) return job.process.get();
    if (g_settleThread) return g_settleThread.get();
    return g_nativeRunning ? g_engineThread.get() : nullptr;
}

WriteCountReader g_readWriteCount = ReadProcessWriteCount;

uint64_t CappedBytesDone(uint64_t before, uint64_t current, uint64_t total) {
    uint64_t done = before + current;
    return total != 0 && done > total ? total : done;
}

bool IsFailureExitCode(uint32_t code) { return (code & 0x18) != 0 || code > 0x1F; }

bool StartNextSource(CopyJob& job) {
    if (job.current == 0) ArmMoveCheck(job);
    bool native = JobEngine(job) == Engine::Native;
    while (job.current < job.sources.size()) {
        bool move = false;
        job.runEnd = job.current + RunLength(job, native, move);
        std::vector<SourceItem> run = RunSources(job);
        if (!run.empty() && (native ? StartNative(job, run, move) : StartRobocopy(job, run)))
            return true;
        job.failedSources += static_cast<uint32_t>(run.size());
        job.current = job.runEnd;
    }
    return false;
}

void UpdateBytesDone(CopyJob& job) {
    if (g_settle) job.checkedFiles = g_settle->progress.files.load();
    if (JobEngine(job) == Engine::Native) {
        const EngineProgress progress = ReadEngineProgress();
        job.bytesCurrent = progress.bytesDone;
        job.skippedCurrent = progress.skippedBytes;
        job.speed.bytesDone = CappedBytesDone(job.bytesBefore, job.bytesCurrent, job.totalBytes);
        job.speed.skippedBytes = job.skippedBefore + job.skippedCurrent;
        job.filesDone = progress.tasksFinished;
        return;
    }
    uint64_t written = 0;
    if (!job.process || !g_readWriteCount(job.process.get(), written)) return;
    job.bytesCurrent = written;
    job.speed.bytesDone = CappedBytesDone(job.bytesBefore, job.bytesCurrent, job.totalBytes);
    job.filesDone = 0;
}

void JobTick(HWND window) {
    CopyJob& job = g_job;
    int32_t engineResult = 0;
    if (g_nativeRunning && EngineRunEnded(engineResult)) {
        UpdateBytesDone(job);
        JoinEngineThread();
        EngineProgress ended = ReadEngineProgress();
        job.counts.copied += ended.copied;
        job.counts.skipped += ended.skipped;
        job.counts.failed += ended.failed;
        EndedRun(job, engineResult != 0 ? 8 : 0);
        NextRun(job);
    }
    if (job.process && WaitForSingleObject(job.process.get(), 0) == WAIT_OBJECT_0) {
        UpdateBytesDone(job);
        DWORD code = 0;
        GetExitCodeProcess(job.process.get(), &code);
        job.process.reset();
        EndedRun(job, code);
        SettleRobocopy(job, code);
    }
    if (g_settle && g_settle->done.load()) EndedSettle(job);
    UpdateBytesDone(job);
    SampleSpeed(job.speed);
    uint64_t now = GetTickCount64();
    if (now - g_lastTraceTick >= 1000) {
        TraceLog(L"tick proc=%p done=%llu/%llu cancel=%d", job.process.get(),
                 static_cast<unsigned long long>(job.speed.bytesDone),
                 static_cast<unsigned long long>(job.totalBytes), job.cancelled ? 1 : 0);
        g_lastTraceTick = now;
    }
    if (ShowProgress(job, window)) return;
    if (job.current >= job.sources.size() && !job.process && !g_settle) FinishJob(job, window);
}

void CancelJob(CopyJob& job) {
    job.cancelled = true;
    if (g_nativeRunning) {
        CancelEngine();
        JoinEngineThread();
    }
    if (job.process) {
        TerminateProcess(job.process.get(), 1);
        job.process.reset();
    }
    if (g_settle) {
        g_settle->progress.cancel = true;
        JoinSettleThread();
        job.checking = false;
    }
}

void PauseRun(const CopyJob& job, bool paused) {
    if (JobEngine(job) == Engine::Native) PauseEngine(paused);
    else if (job.process) SuspendOrResume(job.process.get(), paused);
}

}  // namespace zrw
