// A job from the command line: scan, checks, the progress dialog or silence, the end and its exit
// code.
#include "app/lang.h"
#include "app/logdir.h"
#include "app/process.h"
#include "app/settings.h"
#include "base/paths.h"
#include "engine/joblog.h"
#include "engine/safety.h"
#include "engine/scan.h"
#include "job/control.h"
#include "job/job.h"
#include "job/queue.h"
#include "robo/robo.h"
#include "verify/hashlist.h"
#include "verify/verify.h"

#include <shellapi.h>

#include <cstdio>
#include <set>

namespace zrw {

namespace {

const wchar_t kHiddenClass[] = L"ZerrowHidden";

const DWORD kProgressFlags = 0x0A;  // automatic time estimate, no minimise button
const DWORD kNoProgressBar = 0x10;

void ReleaseProgressDialog(CopyJob& job) {
    if (!job.progressDialog) return;
    job.progressDialog->StopProgressDialog();
    job.progressDialog.reset();
}

LRESULT CALLBACK HiddenWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER: JobTick(window); return 0;
    case WM_CLOSE:
        CancelJob(g_job);
        FinishJob(g_job, window);  // does nothing when the job had already ended
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateHiddenWindow() {
    static bool registered = false;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    if (!registered) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = HiddenWindowProc;
        wc.hInstance = instance;
        wc.lpszClassName = kHiddenClass;
        registered = RegisterClassW(&wc) != 0;
    }
    return CreateWindowExW(0, kHiddenClass, g_productName.c_str(), 0, 0, 0, 0, 0, nullptr, nullptr,
                           instance, nullptr);
}

void StartProgressDialog(CopyJob& job, HWND owner, size_t pathsGiven) {
    HRESULT hr = CoCreateInstance(CLSID_ProgressDialog, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IProgressDialog, job.progressDialog.put_void());
    TraceLog(L"CoCreateInstance 进度窗 hr=0x%08X pd=%p", static_cast<unsigned>(hr),
             job.progressDialog.get());
    if (FAILED(hr) || !job.progressDialog) {
        job.progressDialog.reset();
        return;
    }
    IProgressDialog* dialog = job.progressDialog.get();
    std::wstring count = std::to_wstring(pathsGiven);
    std::wstring from = ParentFolder(job.sources.front().path);
    std::wstring title = Tr(job.move ? L"正在移动 " : L"正在复制 ") + count + Tr(L" 个项目");
    std::wstring line1 = Tr(L"从 ") + from + Tr(L"  到 ") + job.destination;
    dialog->SetTitle(title.c_str());
    dialog->SetLine(1, line1.c_str(), FALSE, nullptr);
    dialog->SetCancelMsg(Tr(L"正在取消…").c_str(), nullptr);
    DWORD flags = kProgressFlags | (job.totalBytes == 0 ? kNoProgressBar : 0);
    hr = dialog->StartProgressDialog(owner, nullptr, flags, nullptr);
    TraceLog(L"StartProgressDialog hr=0x%08X flags=0x%X", static_cast<unsigned>(hr),
             static_cast<unsigned>(flags));
}

void RunMessageLoop() {
    TraceLog(L"进入消息循环");
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    TraceLog(L"消息循环退出 finished=%d rc=%d", g_job.finished ? 1 : 0,
             static_cast<int>(g_job.result));
}

// A difference makes the exit code 4 unless something failed outright; a
// hash list that was asked for and could not be written is a failure.
void VerifyIfWanted(CopyJob& job) {
    if (!WantsVerification(job)) return;
    JobProof proof = VerifyJob(job, job.silent ? nullptr : RunnerVerifyHook);
    if (job.result != kJobDone) return;
    if (proof.result.differing > 0) job.result = kJobDiffers;
    else if (proof.hashed && !proof.result.aborted && !proof.hashListWritten)
        job.result = kJobFailed;
}

// A silent job has no window timer: it ticks as soon as the running source
// has ended, and after the poll period at the latest (robocopy's progress).
void WaitForSourceEnd(const CopyJob& job) {
    constexpr DWORD kPollMs = 150;
    if (HANDLE running = RunningSource(job)) WaitForSingleObject(running, kPollMs);
}

// The failed files first, each with its cause, then the offer of the log.
int AskToOpenLog(const CopyJob& job) {
    constexpr size_t kNamed = 5;
    LoggedJob logged;
    std::wstring named;
    if (ReadJobLog(job.logPath, logged) && !logged.failures.empty())
        named = FailureList(logged.failures, UiLang, kNamed) + L"\n";
    std::wstring text =
        named + std::to_wstring(job.failedSources) +
        Tr(L" 个源出错（文件被占用 / 权限不足 / 路径过长）。\n\n打开 robocopy 日志看细节？");
    if (MessageBoxW(nullptr, text.c_str(), g_productName.c_str(), MB_YESNO | MB_ICONEXCLAMATION) ==
        IDYES)
        ShellExecuteW(nullptr, L"open", job.logPath.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return 1;
}

}  // namespace

int RunJob(const std::vector<std::wstring>& sources, const std::wstring& destination, bool move,
           bool silent, const std::function<void()>& logged) {
    bool anySource = ScanJob(sources);
    PrepareJob(destination, move);
    if (logged) logged();
    return RunPreparedJob(anySource, silent, sources.size(), g_settings.conflict);
}

int RunPreparedJob(bool anySource, bool silent, size_t pathsGiven, ConflictPolicy conflict) {
    CopyJob& job = g_job;
    job.silent = silent;
    if (!anySource) {
        if (!silent)
            MessageBoxW(nullptr, Tr(L"没有可复制的源（路径不存在或无权限）。").c_str(),
                        g_productName.c_str(), MB_OK | MB_ICONEXCLAMATION);
        return 2;
    }
    std::wstring refusal = RefuseJob(job);
    if (!refusal.empty()) {
        if (!silent)
            MessageBoxW(nullptr, refusal.c_str(), g_productName.c_str(), MB_OK | MB_ICONERROR);
        return 2;
    }
    if (!ResolveConflicts(job, nullptr, conflict)) return 3;
    if (!PassesChecksBeforeFirstByte(job, nullptr)) return 2;
    if (JobEngine(job) == Engine::Robocopy &&
        GetFileAttributesW(RobocopyPath().c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (!silent)
            MessageBoxW(nullptr,
                        Tr(L"找不到 Windows 自带的复制引擎 Robocopy.exe。\n\n它本该在 "
                           L"C:\\Windows\\System32 下 —— 常见原因是杀毒软件把它当 LOLBin "
                           L"隔离了。\n加白名单/恢复后重试。")
                            .c_str(),
                        g_productName.c_str(), MB_OK | MB_ICONERROR);
        return 2;
    }

    QueuePlace place;
    if (!AwaitTurn(job, place)) return 3;  // cancelled while queued: nothing touched

    // The window comes before the first source, so that a job that cannot
    // get one ends before anything was copied or moved.
    HWND window = nullptr;
    if (!silent) {
        window = CreateHiddenWindow();
        if (!window) return 2;
    }
    if (!StartNextSource(job)) {
        if (window) DestroyWindow(window);
        return 2;
    }

    if (silent) {
        while (!job.finished) {
            JobTick(nullptr);
            if (!job.finished) WaitForSourceEnd(job);
        }
        VerifyIfWanted(job);
        return static_cast<int>(job.result);
    }

    TraceLog(L"RunJob: hwnd=%p jobs=%u bytes=%llu", window,
             static_cast<unsigned>(job.sources.size()),
             static_cast<unsigned long long>(job.totalBytes));
    StartProgressDialog(job, window, pathsGiven);
    SetTimer(window, kJobTimer, 300, nullptr);
    RunMessageLoop();
    VerifyIfWanted(job);
    ReleaseProgressDialog(job);
    if (job.cancelled) return 3;
    if (job.failedSources == 0) return static_cast<int>(job.result);
    place.Leave();  // the volumes need not wait for the user's answer
    return AskToOpenLog(job);
}

// Jobs started in the same second (one process per selected item, or two
// windows) would share a log: each claims a name of its own, created with the
// byte-order mark so that every writer after it appends.
std::wstring JobLogPath() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    wchar_t name[64];
    swprintf(name, 64, L"copy-%04d%02d%02d-%02d%02d%02d", t.wYear, t.wMonth, t.wDay, t.wHour,
             t.wMinute, t.wSecond);
    const std::wstring stem = LogFolder() + L"\\" + name;
    for (int n = 1; n < 1000; ++n) {
        std::wstring path = stem + (n == 1 ? L"" : L"-" + std::to_wstring(n)) + L".log";
        UniqueFile file(CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            DWORD written = 0;
            WriteFile(file.get(), "\xEF\xBB\xBF", 3, &written, nullptr);
            return path;
        }
        if (GetLastError() != ERROR_FILE_EXISTS)
            return path;  // an unwritable folder loses any name
    }
    return stem + L".log";
}

bool ScanJob(const std::vector<std::wstring>& sources) {
    ResetJob();
    ScanResult scan = ScanSources(sources);
    g_job.sources = std::move(scan.items);
    g_job.totalBytes = scan.totalBytes;
    g_job.totalFiles = scan.totalFiles;
    g_job.missing = std::move(scan.missing);
    g_job.clashes = std::move(scan.clashes);
    g_job.largeFiles = std::move(scan.largeFiles);
    return !g_job.sources.empty();
}

void PrepareJob(const std::wstring& destination, bool move) {
    CopyJob& job = g_job;
    job.destination = FullPath(destination);
    job.move = move;
    job.speed.startTick = GetTickCount64();
    EnsureLogFolder();
    job.logPath = JobLogPath();
    job.refusals = CheckSources(job.sources, job.clashes, job.destination);
    if (job.missing.empty()) return;
    OpenJobLog(job.logPath);
    for (const std::wstring& path : job.missing) {
        JobLog(L"源不存在 %s", path.c_str());
        ConsoleLine(L"源不存在 %s", path.c_str());
        RecordFailure({FailedStep::Read,
                       ERROR_FILE_NOT_FOUND,
                       path,
                       AppendPath(job.destination, PathName(path)),
                       {}});
    }
    CloseJobLog();
    job.failedSources += static_cast<uint32_t>(job.missing.size());
    job.counts.failed += job.missing.size();
}

std::wstring RefuseJob(const CopyJob& job) {
    if (job.refusals.empty()) return {};
    constexpr size_t kNamedInMessage = 5;
    bool overlap = false;
    std::wstring paths;
    OpenJobLog(job.logPath);
    for (size_t i = 0; i < job.refusals.size(); ++i) {
        const Refusal& refusal = job.refusals[i];
        std::wstring line = RefusalLine(refusal);
        JobLog(L"%s", line.c_str());
        WriteStdErr(line + L"\n");
        overlap = overlap || refusal.kind == Refusal::Kind::Overlap;
        if (i < kNamedInMessage)
            paths += L"\n\n" + refusal.first +
                     (refusal.kind == Refusal::Kind::Overlap ? L"\n→ " : L"\n") + refusal.second;
        else if (i == kNamedInMessage) paths += L"\n\n…";
    }
    CloseJobLog();
    return Tr(overlap ? L"目标和源重叠（目标在源里面，或源在目标里面），什么都没动："
                      : L"几个源会落到目标里的同一个位置（后一个会盖掉前一个），什么都没动：") +
           paths;
}

// A copy is compared only when clean: a failed or cancelled one is known
// not to be whole. One with failures still lists what it did copy; a
// cancelled one was stopped by its user. A move has no sources left to
// compare with at its end.
bool WantsVerification(const CopyJob& job) {
    if (job.moveCheck) return true;
    if (job.move) return false;
    return ((g_settings.verify || g_settings.hash) && job.result == kJobDone) ||
           (g_settings.hash && job.result == kJobFailed);
}

bool ComparesAtEnd(const CopyJob& job) {
    return g_settings.verify && !job.moveCheck && job.result == kJobDone;
}

namespace {

// A file that failed may have an older version at its place, which is not
// this job's copy: it gets no line.
void DropFailedFiles(const CopyJob& job, std::vector<HashLine>& hashes) {
    LoggedJob logged;
    if (!ReadJobLog(job.logPath, logged)) {
        hashes.clear();
        return;
    }
    std::set<std::wstring, NameLess> failed;
    for (const Failure& failure : logged.failures)
        failed.insert(HashListPath(job.destination, failure.target));
    std::erase_if(hashes, [&](const HashLine& line) { return failed.count(line.path) > 0; });
}

}  // namespace

void ArmMoveCheck(CopyJob& job) {
    if (!job.move || job.moveCheck || !(g_settings.verify || g_settings.hash)) return;
    job.moveCheck =
        std::make_unique<MoveVerification>(job.destination, g_settings.verify, g_settings.hash);
    g_copyCheck = job.moveCheck.get();
}

JobProof VerifyJob(const CopyJob& job, VerifyHook hook) {
    JobProof proof;
    proof.hashed = g_settings.hash;
    std::vector<HashLine> hashes;
    VerifiedBytes = 0;
    VerifyProgressHook = hook;
    if (job.moveCheck) {
        g_copyCheck = nullptr;
        proof.result = job.moveCheck->Result();
        // A move by renames carried no bytes: it has nothing to report.
        proof.compared = g_settings.verify && proof.result.compared > 0;
        hashes = job.moveCheck->TakeHashes();
    } else if (ComparesAtEnd(job)) {
        proof.compared = true;
        proof.result = VerifyTree(job.sources, job.destination, proof.hashed ? &hashes : nullptr);
    } else {
        hashes = HashTree(job.sources, job.destination);
        if (job.result != kJobDone) DropFailedFiles(job, hashes);
    }
    VerifyProgressHook = nullptr;
    if (proof.compared) WriteVerifyLog(ParentFolder(job.logPath), proof.result);
    if (!proof.hashed || proof.result.aborted) return proof;
    std::wstring list = AppendPath(job.destination, kHashListName);
    proof.hashListWritten = UpdateHashList(job.destination, hashes);
    proof.hashLines = hashes.size();
    std::wstring line = proof.hashListWritten ? L"哈希清单 " + list + L" " +
                                                    std::to_wstring(hashes.size()) + L" 个文件"
                                              : L"哈希清单写不了 " + list;
    LogLine(job, line);
    ConsoleLine(L"%s", line.c_str());
    return proof;
}

std::wstring ProofText(const CopyJob& job, const JobProof& proof) {
    std::wstring text;
    if (proof.compared) text = VerifySummary(proof.result);
    if (!proof.hashed || proof.result.aborted) return text;
    if (!text.empty()) text += L"\n";
    std::wstring list = AppendPath(job.destination, kHashListName);
    if (proof.hashListWritten)
        text +=
            Tr(L"哈希清单: ") + list + L"  (" + std::to_wstring(proof.hashLines) + Tr(L" 个文件)");
    else text += Tr(L"哈希清单写不了: ") + list;
    return text;
}

bool RunnerVerifyHook(uint64_t) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Taken from the queue here, the quit would never reach the loop
            // that waits for it.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

// robocopy leaves the same files alone without a word: a copy counts them skipped.
void CountTheSame(CopyJob& job) {
    if (JobEngine(job) != Engine::Robocopy || job.move) return;
    uint64_t same = std::min(job.sameFiles, job.counts.copied);
    job.counts.copied -= same;
    job.counts.skipped += same;
}

void FinishJob(CopyJob& job, HWND window) {
    if (job.finished) return;
    job.finished = true;
    job.result = job.cancelled ? kJobCancelled : job.failedSources > 0 ? kJobFailed : kJobDone;
    CountTheSame(job);
    std::wstring total = CountsLine(job);
    LogLine(job, total);
    ConsoleLine(L"%s", total.c_str());
    ReleaseProgressDialog(job);
    if (!window) return;
    KillTimer(window, kJobTimer);
    if (job.view) {
        job.view->ShowEnd();
        return;
    }
    DestroyWindow(window);
    PostQuitMessage(0);
}

}  // namespace zrw
