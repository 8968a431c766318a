// The robocopy command line and dry run, and the sequencing and control of
// the engine runs of a job.
#ifndef ZERROW_ROBO_ROBO_H
#define ZERROW_ROBO_ROBO_H

#include "app/win.h"
#include "engine/engine.h"
#include "job/job.h"

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
std::wstring BuildRobocopyCommand(const SourceItem& source, const CopyJob& job);

int WriteDryRun(const std::vector<std::wstring>& sources, const std::wstring& destination,
                bool move);

// ---- Engine-run control ----------------------------------------------------------------

bool StartNextSource(CopyJob& job);
void JobTick(HWND window);
void UpdateBytesDone(CopyJob& job);
void CancelJob(CopyJob& job);
void TogglePause();
void ResetPause();

}  // namespace zrw

#endif
