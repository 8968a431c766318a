#include "app/app.h"
#include "verify/verify.h"

namespace zrw {

int RunVerifyMode(const std::vector<std::wstring>&, const std::wstring&) {
    return ModeNotAvailable(L"verify");
}

}  // namespace zrw
