// Starts a job's sources one after the other and ticks, pauses and cancels the running one.
#include "job/control.h"
#include "app/lang.h"
#include "app/logdir.h"
#include "app/settings.h"
#include "base/format.h"
#include "base/optional_api.h"
#include "base/paths.h"
#include "base/process.h"
#include "base/walk.h"
#include "engine/driver.h"
#include "engine/joblog.h"
#include "engine/safety.h"
#include "engine/scan.h"
#include "robo/robo.h"

#include <functional>

namespace zrw {

namespace {

// A native run that has been started and not yet joined, and its thread.
bool g_nativeRunning = false;
UniqueHandle g_engineThread;
DWORD g_engineThreadId = 0;

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

// Lines of the job log outside a native run, which holds the log open itself.
void LogLine(const CopyJob& job, const std::wstring& line) {
    OpenJobLog(job.logPath);
    JobLog(L"%s", line.c_str());
    CloseJobLog();
}

bool SameSize(const std::wstring& a, const std::wstring& b) {
    WIN32_FILE_ATTRIBUTE_DATA x, y;
    return GetFileAttributesExW(LongPath(a).c_str(), GetFileExInfoStandard, &x) &&
           GetFileAttributesExW(LongPath(b).c_str(), GetFileExInfoStandard, &y) &&
           FileSize(x) == FileSize(y);
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(LongPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Stops at the first file the predicate calls unfinished, or at a folder that
// cannot be listed (its files are unaccounted for).
bool AnyFileLeft(const std::wstring& folder, const std::function<bool(const WalkEntry&)>& left) {
    bool found = false;
    WalkTree(
        folder,
        [&](const WalkEntry& entry) {
            found = !entry.isFolder() && left(entry);
            return found ? WalkNext::Stop : WalkNext::Continue;
        },
        [&](const std::wstring&, const std::wstring&) {
            found = true;
            return WalkNext::Stop;
        });
    return found;
}

// A robocopy that ended from outside (a task manager, a log-off) exits with
// whatever code its killer chose, so what is on disk decides: a move whose
// source still holds files, or a copy whose target lacks one, did not finish.
bool RobocopyLeftWork(const CopyJob& job, const SourceItem& source) {
    bool moved = job.move && !IsProtectedLocation(source.path);
    std::wstring target = SourceTarget(source, job.destination);
    if (!source.isFolder) return moved ? Exists(source.path) : !SameSize(source.path, target);
    if (moved)
        return Exists(source.path) &&
               AnyFileLeft(source.path, [](const WalkEntry&) { return true; });
    return AnyFileLeft(source.path, [&](const WalkEntry& entry) {
        return !SameSize(entry.path, AppendPath(target, entry.relative));
    });
}

// The job was checked before it started; checked again at the last moment,
// because a move onto or into its own source would delete the only copy.
bool RefuseSelfTarget(const CopyJob& job, const SourceItem& source) {
    std::wstring target = SourceTarget(source, job.destination);
    if (FindOverlap(source.path, target) == Overlap::None) return false;
    LogLine(job, L"目标在源里面(会自己复制自己), 跳过 " + source.path + L" -> " + target);
    return true;
}

bool StartRobocopy(CopyJob& job, const SourceItem& source) {
    std::wstring command = BuildRobocopyCommand(source, {job.destination, job.logPath, job.move});
    StartedProcess started = StartHiddenProcess(RobocopyPath(), std::move(command));
    if (!started.process) {
        LogLine(job, L"起不了 robocopy 进程 (错误 " + std::to_wstring(started.error) + L") " +
                         source.path);
        return false;
    }
    job.process = std::move(started.process);
    // A source that starts during a pause must not run ahead of it.
    if (job.view && job.view->Paused()) SuspendOrResume(job.process.get(), true);
    return true;
}

bool StartNative(CopyJob& job, const SourceItem& source) {
    bool move = job.move && !IsProtectedLocation(source.path);
    ResetEngineRun();
    g_nativeRunning = true;
    // The plan appends the source's own name, so a folder lands at
    // destination\name exactly as with robocopy.
    auto* params = new EngineParams{{source.path}, job.destination, move, job.logPath};
    g_engineThread.reset(CreateThread(nullptr, 0, EngineThread, params, 0, &g_engineThreadId));
    if (g_engineThread) return true;
    LogLine(job,
            L"起不了原生引擎线程 (错误 " + std::to_wstring(GetLastError()) + L") " + source.path);
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

void NextSource(CopyJob& job) {
    job.bytesBefore += job.bytesCurrent;
    job.bytesCurrent = 0;
    job.current += 1;
    StartNextSource(job);
}

void EndedSource(CopyJob& job, uint32_t exitCode) {
    job.lastExitCode = exitCode;
    job.exitCodes.push_back(exitCode);
    if (IsFailureExitCode(exitCode)) job.failedSources += 1;
}

void EndedRobocopy(CopyJob& job, uint32_t exitCode) {
    const SourceItem& source = job.sources[job.current];
    EndedSource(job, exitCode);
    if (IsFailureExitCode(exitCode) || !RobocopyLeftWork(job, source)) return;
    job.failedSources += 1;
    LogLine(job, (job.move ? L"robocopy 结束了, 但源里还有文件(没搬完) "
                           : L"robocopy 结束了, 但目标里缺文件(没复制完) ") +
                     source.path);
}

// True when the tick ended the job through the dialog or the window.
bool ShowProgress(CopyJob& job, HWND window) {
    if (IProgressDialog* dialog = job.progressDialog.get()) {
        dialog->SetProgress64(job.speed.bytesDone, job.totalBytes ? job.totalBytes : 1);
        std::wstring total = job.totalBytes ? FormatSize(job.totalBytes) : L"?";
        std::wstring copied = Tr(L"已复制 ") + FormatSize(job.speed.bytesDone) + L" / " + total;
        dialog->SetLine(2, copied.c_str(), FALSE, nullptr);
        std::wstring speed;
        if (job.speed.speed > 0)
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
    return g_nativeRunning ? g_engineThread.get() : nullptr;
}

WriteCountReader g_readWriteCount = ReadProcessWriteCount;

uint64_t CappedBytesDone(uint64_t before, uint64_t current, uint64_t total) {
    uint64_t done = before + current;
    return total != 0 && done > total ? total : done;
}

bool IsFailureExitCode(uint32_t code) { return (code & 0x18) != 0 || code > 0x1F; }

bool StartNextSource(CopyJob& job) {
    while (job.current < job.sources.size()) {
        const SourceItem& source = job.sources[job.current];
        bool native = g_settings.engine == Engine::Native;
        bool started = !RefuseSelfTarget(job, source) &&
                       (native ? StartNative(job, source) : StartRobocopy(job, source));
        if (started) return true;
        job.failedSources += 1;
        job.current += 1;
    }
    return false;
}

void UpdateBytesDone(CopyJob& job) {
    if (g_settings.engine == Engine::Native) {
        const EngineProgress progress = ReadEngineProgress();
        job.bytesCurrent = progress.bytesDone;
        job.speed.bytesDone = CappedBytesDone(job.bytesBefore, job.bytesCurrent, job.totalBytes);
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
        EndedSource(job, engineResult != 0 ? 8 : 0);
        NextSource(job);
    }
    if (job.process && WaitForSingleObject(job.process.get(), 0) == WAIT_OBJECT_0) {
        UpdateBytesDone(job);
        DWORD code = 0;
        GetExitCodeProcess(job.process.get(), &code);
        job.process.reset();
        EndedRobocopy(job, code);
        NextSource(job);
    }
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
    if (job.current >= job.sources.size() && !job.process) FinishJob(job, window);
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
}

void PauseRun(const CopyJob& job, bool paused) {
    if (g_settings.engine == Engine::Native) PauseEngine(paused);
    else if (job.process) SuspendOrResume(job.process.get(), paused);
}

}  // namespace zrw
