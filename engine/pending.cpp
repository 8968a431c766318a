#include "app/app.h"
#include "engine/engine.h"

namespace zrw {

int DumpThreadCount(const std::wstring&, const std::wstring&) { return ModeNotAvailable(L"--dump-mt"); }
int DumpThreadPick(const std::wstring&, const std::wstring&, const std::wstring&) {
    return ModeNotAvailable(L"--dump-pick");
}

}  // namespace zrw
