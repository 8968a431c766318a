#include "app/app.h"
#include "robo/robo.h"

namespace zrw {

int WriteDryRun(const std::vector<std::wstring>&, const std::wstring&, bool) {
    return ModeNotAvailable(L"--dryrun");
}

}  // namespace zrw
