// The robocopy command line and dry run, and the sequencing and control of
// the engine runs of a job.
#ifndef ZERROW_ROBO_ROBO_H
#define ZERROW_ROBO_ROBO_H

#include "base/win.h"
#include "engine/engine.h"
#include "job/job.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zrw {

// ---- Command line ---------------------------------------------------------------------

std::wstring RobocopyPath();
std::wstring Quote(const std::wstring& text);
std::wstring ParentFolder(const std::wstring& path);
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);
// /MT: count from the seek-penalty answers of the target and the source volume.
int RobocopyThreadCount(SeekPenalty target, SeekPenalty source);
// robocopy knows /SPARSE from build 22621 (Windows 11 22H2) on; older ones
// refuse the whole command line for it.
bool SparseSwitchKnown(uint32_t robocopyBuild);
bool RobocopyKnowsSparse();
std::wstring BuildRobocopyCommand(const SourceItem& source, const CopyJob& job);

int WriteDryRun(const std::vector<std::wstring>& sources, const std::wstring& destination,
                bool move);

// ---- Engine-run control ----------------------------------------------------------------

bool StartNextSource(CopyJob& job);
void JobTick(HWND window);
void UpdateBytesDone(CopyJob& job);
void CancelJob(CopyJob& job);
// What a waiter can wait on until the running source ends: the robocopy
// process or the native engine's thread; null between sources.
HANDLE RunningSource(const CopyJob& job);
void TogglePause();
void ResetPause();

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
