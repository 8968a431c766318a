#include "app/app.h"
#include "job/job.h"

namespace zrw {

int RunJob(const std::vector<std::wstring>&, const std::wstring&, bool, bool) {
    return ModeNotAvailable(L"copy/move");
}

}  // namespace zrw

namespace zrw {

void UpdateProgress(HWND) {}
void ShowJobEnd() {}

}  // namespace zrw
