// The record of the current job.
#include "job/job.h"

namespace zrw {

CopyJob g_job;

void ResetJob() { g_job = CopyJob{}; }

}  // namespace zrw
