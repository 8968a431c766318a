#include "job/job.h"

namespace zrw {

void UpdateProgress(HWND) {}
void ShowJobEnd() {}

}  // namespace zrw
