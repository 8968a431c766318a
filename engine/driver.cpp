// The native engine's run: the plan, the folders, the worker pool, moves' clean-up and the counts.
#include "engine/driver.h"
#include "app/logdir.h"
#include "base/format.h"
#include "base/paths.h"
#include "base/walk.h"
#include "engine/copyfile.h"
#include "engine/failures.h"
#include "engine/joblog.h"
#include "engine/scan.h"

#include <algorithm>
#include <cwctype>
#include <set>

namespace zrw {

JobStats g_stats;
std::atomic<int32_t> g_engineResult{0};
std::atomic<bool> g_engineFinished{false};
ThreadStarter g_startThread = [](LPTHREAD_START_ROUTINE entry, void* param) -> HANDLE {
    return CreateThread(nullptr, 0, entry, param, 0, nullptr);
};

namespace {

struct WorkQueue {
    const std::vector<FileTask>* tasks;
    std::vector<char> madeFolders;  // per plan folder: made by this run
    bool madeRoot = false;
    std::atomic<uint64_t> next{0};
    int workers = 1;
    std::atomic<bool> startFailed{false};

    bool DestinationMayExist(const FileTask& task) const {
        return task.folder == kRootFolder ? !madeRoot : !madeFolders[task.folder];
    }
};

bool ShouldStop(const WorkQueue& queue) {
    return g_stats.cancel.load() || queue.startFailed.load();
}

DWORD WINAPI Worker(void* param) {
    auto& queue = *static_cast<WorkQueue*>(param);
    for (;;) {
        while (g_stats.pause.load() && !ShouldStop(queue)) Sleep(40);
        uint64_t index = queue.next.fetch_add(1);
        if (index >= queue.tasks->size() || ShouldStop(queue)) return 0;
        const FileTask& task = (*queue.tasks)[index];
        if (!ShouldStop(queue)) CopyOneFile(task, queue.DestinationMayExist(task));
        ++g_stats.tasksFinished;
    }
}

// A worker that cannot be started stops the others from taking tasks: the run
// then ends with files left uncopied instead of waiting for tasks no one does.
DWORD WINAPI Pool(void* param) {
    auto& queue = *static_cast<WorkQueue*>(param);
    std::vector<UniqueHandle> threads;
    for (int i = 0; i < std::max(queue.workers, 1); ++i) {
        UniqueHandle thread(g_startThread(Worker, &queue));
        if (!thread) {
            queue.startFailed = true;
            break;
        }
        threads.push_back(std::move(thread));
    }
    for (const UniqueHandle& thread : threads) WaitForSingleObject(thread.get(), INFINITE);
    return 0;
}

enum class FolderMade { Existed, Created, Failed };

// Parents come before their children in a plan, so one call makes a folder.
FolderMade EnsureFolder(const std::wstring& path) {
    std::wstring lp = LongPath(path);
    if (CreateDirectoryW(lp.c_str(), nullptr)) return FolderMade::Created;
    if (GetLastError() == ERROR_ALREADY_EXISTS ||
        GetFileAttributesW(lp.c_str()) != INVALID_FILE_ATTRIBUTES)
        return FolderMade::Existed;
    return MakeFolderTree(path) ? FolderMade::Created : FolderMade::Failed;
}

void MakeFolders(const CopyPlan& plan, WorkQueue& queue) {
    queue.madeFolders.reserve(plan.folders.size());
    for (const FolderPair& folder : plan.folders)
        queue.madeFolders.push_back(
            static_cast<char>(EnsureFolder(folder.destination) == FolderMade::Created));
}

// A folder whose listing was refused is not copied and not emptied: it
// fails, and a move leaves it (and so its parents) where it is.
void CountUnlisted(const CopyPlan& plan) {
    for (const CopyPlan::Unlisted& folder : plan.unlisted) {
        ++g_stats.filesFailed;
        JobLog(L"读不了目录(里面的文件没复制) %s", folder.source.c_str());
        RecordFailure({FailedStep::ListFolder, folder.error, folder.source, folder.target, {}});
    }
}

void RemoveMovedFolders(const CopyPlan& plan, const std::vector<std::wstring>& sources) {
    for (auto it = plan.folders.rbegin(); it != plan.folders.rend(); ++it)
        RemoveEmptyFolder(it->source);
    for (const std::wstring& given : sources) {
        std::wstring source = TrimSeparators(given);
        RemoveEmptyFolder(source);
        if (GetFileAttributesW(LongPath(source).c_str()) != INVALID_FILE_ATTRIBUTES)
            JobLog(L"源目录没删净(里面有跳过/失败的文件, 留着更安全) %s", source.c_str());
    }
}

// ZRW_WORKERS=1..8 stands in for the disk probe: the rotating-disk path can
// be run and measured on any machine. 0 when unset or out of range.
int WorkersFromEnvironment() {
    wchar_t value[8];
    DWORD length = GetEnvironmentVariableW(L"ZRW_WORKERS", value, 8);
    if (length != 1 || value[0] < L'1' || value[0] > L'8') return 0;
    return value[0] - L'0';
}

int WorkersForVolume(const std::wstring& path) {
    return QuerySeekPenalty(path) == SeekPenalty::Yes ? 1 : 8;
}

// A moved folder whose place in the destination is free goes over in one
// rename, with everything in it. Only a tree the walk took whole qualifies:
// what a copy-and-delete would leave behind (an unlistable folder, a link)
// keeps the folder file by file, and so does a source that is itself a link.
bool RenameWholeFolder(const std::wstring& source, const std::wstring& root,
                       const CopyPlan& planned) {
    if (!planned.unlisted.empty() || planned.passedOver > 0) return false;
    DWORD attributes = GetFileAttributesW(LongPath(source).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        IsDriveRoot(source) || ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsLinkPath(source)))
        return false;
    // Without the replace flag the rename refuses a place that is taken.
    return RenameForMove(source, AppendPath(root, PathName(source)), 0);
}

void AppendPlan(CopyPlan& plan, CopyPlan&& more) {
    auto offset = static_cast<uint32_t>(plan.folders.size());
    for (FileTask& task : more.tasks) {
        if (task.folder != kRootFolder) task.folder += offset;
        plan.tasks.push_back(std::move(task));
    }
    for (FolderPair& folder : more.folders) plan.folders.push_back(std::move(folder));
    for (CopyPlan::Unlisted& folder : more.unlisted) plan.unlisted.push_back(std::move(folder));
    plan.totalBytes += more.totalBytes;
    plan.fileCount += more.fileCount;
    plan.passedOver += more.passedOver;
}

// Each source is planned on its own, so that a folder moved by one rename
// drops out of the plan and counts as its files moved.
CopyPlan MergePlans(std::vector<CopyPlan>& plans, const std::vector<std::wstring>& sources,
                    const std::wstring& root) {
    CopyPlan plan;
    for (size_t i = 0; i < plans.size(); ++i) {
        CopyPlan& one = plans[i];
        std::wstring source = TrimSeparators(sources[i]);
        if (g_moveJob.load() && RenameWholeFolder(source, root, one)) {
            g_stats.filesCopied += one.fileCount;
            CountWithoutCopying(one.totalBytes);
            if (CopyCheck* check = g_copyCheck.load())
                check->Renamed(AppendPath(root, PathName(source)));
            continue;
        }
        AppendPlan(plan, std::move(one));
    }
    return plan;
}

void AnnouncePlan(const std::vector<CopyPlan>& plans, int workers) {
    uint64_t files = 0, bytes = 0, folders = 0;
    for (const CopyPlan& plan : plans) {
        files += plan.fileCount;
        bytes += plan.totalBytes;
        folders += plan.folders.size();
    }
    ConsoleLine(L"计划: %u 个文件 / %s / %u 个子目录   线程=%d   引擎=%s",
                static_cast<unsigned>(files), FormatSizeShort(bytes).c_str(),
                static_cast<unsigned>(folders), workers, L"系统 CopyFile2");
}

int32_t RefuseRun(const wchar_t* line) {
    ConsoleLine(L"%s", line);
    JobLog(L"%s", line);
    CloseJobLog();
    return 2;
}

}  // namespace

int32_t RunEngine(const std::vector<std::wstring>& sources, const std::wstring& destinationRoot,
                  bool move, const std::wstring& logPath, int workers, ConflictPolicy conflict,
                  uint64_t maxFileSize) {
    g_maxFileSize = maxFileSize;
    g_moveJob = move;
    g_conflictPolicy = conflict == ConflictPolicy::Ask ? ConflictPolicy::Replace : conflict;
    g_renameMoves = move;
    std::wstring root = TrimSeparators(destinationRoot);
    g_coarseTimes = VolumeHasTwoSecondTimes(root) || AnyVolumeHasTwoSecondTimes(sources);
    OpenJobLog(logPath);
    std::vector<CopyPlan> plans(sources.size());
    bool anySource = false;
    for (size_t i = 0; i < sources.size(); ++i)
        anySource = PlanSource(sources[i], root, plans[i]) || anySource;
    if (!anySource) return RefuseRun(L"没有可复制的源（路径不存在或无权限）");
    WorkQueue queue;
    FolderMade rootMade = EnsureFolder(root);
    if (rootMade == FolderMade::Failed) {
        wchar_t error[32];
        swprintf(error, 32, L" (错误 %u)", static_cast<unsigned>(GetLastError()));
        return RefuseRun((L"建不了目标目录 " + root + error).c_str());
    }
    queue.madeRoot = rootMade == FolderMade::Created;
    int n = workers > 0 ? workers : WorkersFromEnvironment();
    if (n == 0) n = ThreadCountFor(sources, root);
    AnnouncePlan(plans, n);
    CopyPlan plan = MergePlans(plans, sources, root);
    CountUnlisted(plan);
    MakeFolders(plan, queue);
    uint64_t start = GetTickCount64();

    queue.tasks = &plan.tasks;
    queue.workers = n;
    bool startFailed = false;
    {
        // Cancel reaches the workers through the shared flags; the pool ends
        // when the last of them does.
        UniqueHandle pool(g_startThread(Pool, &queue));
        if (pool) WaitForSingleObject(pool.get(), INFINITE);
        startFailed = !pool || queue.startFailed.load();
    }
    if (startFailed) JobLog(L"起不了工作线程, 余下的文件没复制");

    for (auto it = plan.folders.rbegin(); it != plan.folders.rend(); ++it)
        CopyTimes(it->source, it->destination);
    bool cancelled = g_stats.cancel.load();
    if (move && !cancelled) RemoveMovedFolders(plan, sources);

    double seconds = static_cast<double>(GetTickCount64() - start) / 1000.0;
    CloseJobLog();
    uint64_t bytes = g_stats.bytesDone.load();
    ConsoleLine(L"copied=%llu skipped=%llu failed=%llu bytes=%llu secs=%.2f speed=%.0f log=%s",
                static_cast<unsigned long long>(g_stats.filesCopied.load()),
                static_cast<unsigned long long>(g_stats.filesSkipped.load()),
                static_cast<unsigned long long>(g_stats.filesFailed.load()),
                static_cast<unsigned long long>(bytes), seconds,
                seconds > 0 ? static_cast<double>(bytes) / seconds : 0.0, logPath.c_str());
    if (cancelled) return 3;
    return (startFailed || g_stats.filesFailed.load() > 0) ? 1 : 0;
}

void CountWithoutCopying(uint64_t bytes) {
    g_stats.bytesDone += bytes;
    g_stats.skippedBytes += bytes;
}

void ResetEngineRun() {
    for (auto* counter : {&g_stats.bytesDone, &g_stats.skippedBytes, &g_stats.filesCopied,
                          &g_stats.filesSkipped, &g_stats.filesFailed, &g_stats.tasksFinished})
        counter->exchange(0);
    g_stats.cancel.exchange(false);
    g_stats.userCancel = FALSE;
    g_engineFinished.exchange(false);
    g_engineResult = 0;
}

EngineProgress ReadEngineProgress() {
    return {g_stats.bytesDone.load(),    g_stats.tasksFinished.load(), g_stats.filesCopied.load(),
            g_stats.filesSkipped.load(), g_stats.filesFailed.load(),   g_stats.skippedBytes.load()};
}

bool EngineRunEnded(int32_t& result) {
    if (!g_engineFinished.load()) return false;
    result = g_engineResult.load();
    return true;
}

void PauseEngine(bool paused) { g_stats.pause.exchange(paused); }

void CancelEngine() {
    g_stats.cancel.exchange(true);
    InterlockedExchange(reinterpret_cast<volatile LONG*>(&g_stats.userCancel), TRUE);
}

DWORD WINAPI EngineThread(void* param) {
    auto* params = static_cast<EngineParams*>(param);
    int32_t result = RunEngine(params->sources, params->destinationRoot, params->move,
                               params->logPath, 0, params->conflict, params->maxFileSize);
    g_engineResult = result;
    g_engineFinished.exchange(true);
    delete params;
    return 0;
}

// Each drive is asked once: a long selection shares a few.
int ThreadCountFor(const std::vector<std::wstring>& sources, const std::wstring& destinationRoot) {
    if (QuerySeekPenalty(destinationRoot) == SeekPenalty::Yes) return 1;
    std::set<wchar_t> asked;
    for (const std::wstring& source : sources)
        if (source.size() > 1 && source[1] == L':' &&
            asked.insert(std::towupper(source[0])).second &&
            QuerySeekPenalty(source) == SeekPenalty::Yes)
            return 1;
    return 8;
}

int DumpThreadCount(const std::wstring& folder, const std::wstring& outFile) {
    return WriteDump(
        outFile, L"mt.txt",
        L"dir=" + folder + L" mt=" + std::to_wstring(WorkersForVolume(folder)) + L"\n");
}

int DumpThreadPick(const std::wstring& source, const std::wstring& destination,
                   const std::wstring& outFile) {
    int mtSrc = WorkersForVolume(source), mtDst = WorkersForVolume(destination);
    return WriteDump(outFile, L"pick.txt",
                     L"src=" + source + L" dst=" + destination + L" mtSrc=" +
                         std::to_wstring(mtSrc) + L" mtDst=" + std::to_wstring(mtDst) + L" mt=" +
                         std::to_wstring(std::min(mtSrc, mtDst)) + L"\n");
}

}  // namespace zrw
