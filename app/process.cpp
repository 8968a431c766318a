// This program's own path and its standard error stream.
#include "app/process.h"
#include "app/logdir.h"
#include "base/win.h"

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

void WriteStdErr(const std::wstring& text) {
    // A windowed program: the handle is only there when the caller redirected it.
    HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    if (err == nullptr || err == INVALID_HANDLE_VALUE) return;
    std::string bytes = ToUtf8(text);
    DWORD written = 0;
    WriteFile(err, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace zrw
