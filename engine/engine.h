// Path rules, source scanning and planning, and the native engine.
#ifndef ZERROW_ENGINE_ENGINE_H
#define ZERROW_ENGINE_ENGINE_H

#include "base/paths.h"
#include "base/win.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace zrw {

// Drive roots and the system's own folders, however the path is spelled.
bool IsProtectedLocation(const std::wstring& path);

// ---- Source scan ------------------------------------------------------------------

struct SourceItem {
    std::wstring path;        // as given, trailing separators trimmed
    std::wstring folderName;  // folder sources only; empty for a drive root
    std::wstring fileName;    // file sources only
    uint64_t bytes = 0;
    uint64_t files = 0;
    bool isFolder = false;
};

// Two sources that would land on one destination path: two top-level sources
// of one name, or two names in one folder that differ only in case.
struct NameClash {
    std::wstring first;
    std::wstring second;
};

struct ScanResult {
    std::vector<SourceItem> items;  // paths made full
    uint64_t totalBytes = 0;
    uint64_t totalFiles = 0;
    std::vector<std::wstring> missing;  // sources that do not exist or cannot be read
    std::vector<NameClash> clashes;
};

ScanResult ScanSources(const std::vector<std::wstring>& paths);

// ---- Native engine plan -------------------------------------------------------------

// Index of a task's destination folder in CopyPlan::folders; the root's own
// files (and file sources) have none.
constexpr uint32_t kRootFolder = UINT32_MAX;

struct FileTask {
    std::wstring source;
    std::wstring destination;
    uint64_t size = 0;
    uint32_t attributes = 0;
    FILETIME lastWrite{};
    uint32_t folder = kRootFolder;
};

struct FolderPair {
    std::wstring source;
    std::wstring destination;
};

struct CopyPlan {
    std::vector<FileTask> tasks;
    std::vector<FolderPair> folders;
    uint64_t totalBytes = 0;
    uint64_t fileCount = 0;
    std::vector<std::wstring> unlisted;  // source folders whose listing was refused
    uint64_t passedOver = 0;             // links and transfer temporaries left where they are
};

CopyPlan BuildPlan(const std::vector<std::wstring>& sources, const std::wstring& destinationRoot);
// Adds one source to a plan; false (and a log line) when it does not exist.
bool PlanSource(const std::wstring& source, const std::wstring& destinationRoot, CopyPlan& plan);

// ---- Job log and console lines ------------------------------------------------------

// Appends to an existing log, or creates it with a byte-order mark; without
// a log the lines are dropped.
void OpenJobLog(const std::wstring& path);
void CloseJobLog();
// One UTF-8 line, cut at 2047 characters; callable from any thread.
void JobLog(const wchar_t* format, ...);
// One UTF-8 line to standard output, cut at 1023 characters.
void ConsoleLine(const wchar_t* format, ...);

// ---- Native engine counters and driver ----------------------------------------------

struct JobStats {
    std::atomic<uint64_t> bytesDone{0};
    std::atomic<uint64_t> filesCopied{0};
    std::atomic<uint64_t> filesSkipped{0};
    std::atomic<uint64_t> filesFailed{0};
    std::atomic<uint64_t> tasksFinished{0};
    std::atomic<bool> cancel{false};
    BOOL userCancel = FALSE;  // polled by the copy routine through its cancel pointer
    std::atomic<bool> pause{false};
};
extern JobStats g_stats;

// Result of the last native run and its finished flag, polled by the job control.
extern std::atomic<int32_t> g_engineResult;
extern std::atomic<bool> g_engineFinished;

struct EngineParams {
    std::vector<std::wstring> sources;
    std::wstring destinationRoot;
    bool move = false;
    std::wstring logPath;
};
// Thread entry: runs the driver, stores its result, sets the finished flag and
// deletes params (an EngineParams*).
DWORD WINAPI EngineThread(void* params);
// workers > 0 forces the worker count (for measurements); 0 asks ThreadCountFor.
int32_t RunEngine(const std::vector<std::wstring>& sources, const std::wstring& destinationRoot,
                  bool move, const std::wstring& logPath, int workers = 0);

// How the engine starts its pool and worker threads; a seam so that a thread
// that cannot be created can be tested.
using ThreadStarter = HANDLE (*)(LPTHREAD_START_ROUTINE entry, void* param);
extern ThreadStarter g_startThread;

// ---- File copy primitives ------------------------------------------------------------

// Set by the driver before its workers start; a move deletes each copied source.
extern std::atomic<bool> g_moveJob;
// Set by the driver: a volume of the run keeps last-write times in 2-second steps.
extern std::atomic<bool> g_coarseTimes;
// A destination that cannot exist (its folder was made by this run) is not
// looked at for the skip rule.
void CopyOneFile(const FileTask& task, bool destinationMayExist = true);

// How a move renames within a volume (MoveFileExW without copying); a seam so
// that measurements can take the copy-and-delete path.
using Renamer = BOOL(WINAPI*)(LPCWSTR from, LPCWSTR to, DWORD flags);
extern Renamer g_rename;
// Set by the driver for a move; cleared once a rename found the volumes differ.
extern std::atomic<bool> g_renameMoves;
// A rename for a move, while renames are still worth trying; false (and the
// copy-and-delete path) when refused.
bool RenameForMove(const std::wstring& from, const std::wstring& to, DWORD flags);

// The attributes a copy carries over from its source; NORMAL when none is left.
DWORD CarriedAttributes(DWORD sourceAttributes);
// FAT volumes store last-write times in 2-second steps.
bool HasTwoSecondTimes(const std::wstring& fileSystemName);
bool VolumeHasTwoSecondTimes(const std::wstring& path);
// Exactly equal, or within 2 seconds when a volume rounds to that.
bool SameWriteTime(const FILETIME& a, const FILETIME& b, bool coarse);

// The system's CopyFile2 when kernel32 has it, else ChunkedCopyFile2.
HRESULT CopyFileWithProgress(PCWSTR source, PCWSTR destination,
                             COPYFILE2_EXTENDED_PARAMETERS* params);
// The same contract as CopyFile2 for what the engine uses: cancel pointer,
// progress routine with one chunk-finished message per chunk, the abort
// HRESULT and no partial destination on cancel, overwrite, access denied for
// a read-only destination, last-write time and attributes carried over.
HRESULT ChunkedCopyFile2(PCWSTR source, PCWSTR destination, COPYFILE2_EXTENDED_PARAMETERS* params);

// Opens files and folders alike, for reading or setting times.
UniqueFile OpenForAttributes(const std::wstring& path, DWORD access);
bool CopyTimes(const std::wstring& from, const std::wstring& to);

enum class SeekPenalty { No, Yes, Unknown };
// Only paths with a drive letter are asked; everything else is Unknown.
SeekPenalty QuerySeekPenalty(const std::wstring& path);

int ThreadCountFor(const std::vector<std::wstring>& sources, const std::wstring& destinationRoot);

// --dump-mt and --dump-pick; empty operands take their defaults.
int DumpThreadCount(const std::wstring& folder, const std::wstring& outFile);
int DumpThreadPick(const std::wstring& source, const std::wstring& destination,
                   const std::wstring& outFile);

}  // namespace zrw

#endif
