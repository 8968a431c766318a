// The robocopy command line and dry run, and the sequencing and control of
// the engine runs of a job.
#ifndef ZERROW_ROBO_ROBO_H
#define ZERROW_ROBO_ROBO_H

#include "app/win.h"

#include <string>
#include <vector>

namespace zrw {

int WriteDryRun(const std::vector<std::wstring>& sources, const std::wstring& destination,
                bool move);

}  // namespace zrw

#endif
