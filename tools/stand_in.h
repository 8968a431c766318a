// What the stand-ins for system programs share: test controls from the
// environment, and one record per run appended to a log file.
#ifndef ZERROW_TOOLS_STAND_IN_H
#define ZERROW_TOOLS_STAND_IN_H

#include <windows.h>

#include <string>

namespace zrw::stand_in {

inline std::wstring Env(const wchar_t* name) {
    wchar_t buffer[4096];
    const DWORD n = GetEnvironmentVariableW(name, buffer, 4096);
    return n > 0 && n < 4096 ? std::wstring(buffer, n) : std::wstring();
}

// One UTF-8 line: the stand-in's own path, its current directory and its command
// line, separated by tabs; the path shows which copy of a program ran.
inline void AppendRun(const wchar_t* logVariable) {
    const std::wstring log = Env(logVariable);
    if (log.empty()) return;
    wchar_t image[MAX_PATH] = {}, folder[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, image, MAX_PATH);
    GetCurrentDirectoryW(MAX_PATH, folder);
    const std::wstring text = std::wstring(image) + L"\t" + folder + L"\t" + GetCommandLineW();
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string line(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), line.data(), n,
                        nullptr, nullptr);
    line += "\n";
    HANDLE file = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
}

}  // namespace zrw::stand_in

#endif
