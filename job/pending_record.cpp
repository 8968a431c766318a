#include "job/job.h"

namespace zrw {

// The job record until its own module defines it; window mode reads it.
CopyJob g_job;

}  // namespace zrw
