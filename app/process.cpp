#include "app/app.h"

#include <cstdio>

namespace zrw {

bool ModulePath(HMODULE module, std::wstring& path) {
    // The program is long-path aware, so its own path may exceed MAX_PATH; a
    // filled buffer means the path was cut and must not be used.
    std::wstring buffer(32768, L'\0');
    DWORD n = GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0 || n >= buffer.size()) return false;
    buffer.resize(n);
    path = buffer;
    return true;
}

int ModeNotAvailable(const wchar_t* mode) {
    std::string line = "zerrow: mode '" + ToUtf8(mode) + "' is not available in this build\n";
    fwrite(line.data(), 1, line.size(), stderr);
    fflush(stderr);
    return 9;
}

}  // namespace zrw
