// The sequencing and control of a job's engine runs, one source after the
// other: starting, ticking, pausing and cancelling them.
#ifndef ZERROW_JOB_CONTROL_H
#define ZERROW_JOB_CONTROL_H

#include "job/job.h"

#include <cstdint>

namespace zrw {

bool StartNextSource(CopyJob& job);
void JobTick(HWND window);
void UpdateBytesDone(CopyJob& job);
void CancelJob(CopyJob& job);
// Holds or releases the running source: the native engine's workers or the
// robocopy process.
void PauseRun(const CopyJob& job, bool paused);
// What a waiter can wait on until the running source ends: the robocopy
// process or the native engine's thread; null between sources.
HANDLE RunningSource(const CopyJob& job);

// Bytes shown: finished sources plus the running one, never above a non-zero total.
uint64_t CappedBytesDone(uint64_t before, uint64_t current, uint64_t total);
// The written-bytes counter of a child process. Replaceable, because Wine's
// counters stay 0 and the arithmetic above is tested with made-up counts.
using WriteCountReader = bool (*)(HANDLE process, uint64_t& written);
extern WriteCountReader g_readWriteCount;
// Bits 0x08 and 0x10, and anything above robocopy's own bits (a crash, a
// failed start-up), mark a source as failed.
bool IsFailureExitCode(uint32_t code);

}  // namespace zrw

#endif
