// The native engine's run: its counters, its thread, its worker count by
// disk kind and the diagnostics that show that count.
#ifndef ZERROW_ENGINE_DRIVER_H
#define ZERROW_ENGINE_DRIVER_H

#include "base/win.h"
#include "engine/conflicts.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace zrw {

struct JobStats {
    std::atomic<uint64_t> bytesDone{0};
    std::atomic<uint64_t> skippedBytes{0};  // of bytesDone, counted without being copied
    std::atomic<uint64_t> filesCopied{0};
    std::atomic<uint64_t> filesSkipped{0};
    std::atomic<uint64_t> filesFailed{0};
    std::atomic<uint64_t> tasksFinished{0};
    std::atomic<bool> cancel{false};
    BOOL userCancel = FALSE;  // polled by the copy routine through its cancel pointer
    std::atomic<bool> pause{false};
};
extern JobStats g_stats;
// Bytes a file or folder counts for without being copied: skipped, or moved by a rename.
void CountWithoutCopying(uint64_t bytes);

// Result of the last native run and its finished flag.
extern std::atomic<int32_t> g_engineResult;
extern std::atomic<bool> g_engineFinished;

// What the job control above sees of a native run, one run at a time; the
// values above are the engine's own.
struct EngineProgress {
    uint64_t bytesDone = 0;
    uint64_t tasksFinished = 0;
    uint64_t copied = 0, skipped = 0, failed = 0;
    uint64_t skippedBytes = 0;
};
// Clears the counters, the cancel and the finished flag before a run starts.
void ResetEngineRun();
EngineProgress ReadEngineProgress();
// True once the run's thread has stored its result (0 when it succeeded).
bool EngineRunEnded(int32_t& result);
void PauseEngine(bool paused);
// Stops the workers and the copy in flight.
void CancelEngine();

struct EngineParams {
    std::vector<std::wstring> sources;
    std::wstring destinationRoot;
    bool move = false;
    std::wstring logPath;
    ConflictPolicy conflict = ConflictPolicy::Replace;
    uint64_t maxFileSize = UINT64_MAX;  // larger files fail without a try
};
// Thread entry: runs the driver, stores its result, sets the finished flag and
// deletes params (an EngineParams*).
DWORD WINAPI EngineThread(void* params);
// workers > 0 forces the worker count (for measurements); 0 asks ThreadCountFor.
int32_t RunEngine(const std::vector<std::wstring>& sources, const std::wstring& destinationRoot,
                  bool move, const std::wstring& logPath, int workers = 0,
                  ConflictPolicy conflict = ConflictPolicy::Replace,
                  uint64_t maxFileSize = UINT64_MAX);

// How the engine starts its pool and worker threads; a seam so that a thread
// that cannot be created can be tested.
using ThreadStarter = HANDLE (*)(LPTHREAD_START_ROUTINE entry, void* param);
extern ThreadStarter g_startThread;

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
