// Stand-in for Zerrow.exe, started by the Explorer command library's tests:
// writes its command line and current folder (UTF-8, two lines) to the file
// named by ZRW_FAKE_ZERROW_LOG.
#include <windows.h>

#include <string>

int wmain() {
    wchar_t log[4096];
    const DWORD n = GetEnvironmentVariableW(L"ZRW_FAKE_ZERROW_LOG", log, 4096);
    if (n == 0 || n >= 4096) return 1;
    wchar_t folder[4096];
    const DWORD m = GetCurrentDirectoryW(4096, folder);
    const std::wstring text =
        std::wstring(GetCommandLineW()) + L"\n" + std::wstring(folder, m) + L"\n";
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                          nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), bytes,
                        nullptr, nullptr);
    // Written under a temporary name and renamed, so a reader never sees half of it.
    const std::wstring temp = std::wstring(log) + L".part";
    HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    CloseHandle(file);
    return MoveFileExW(temp.c_str(), log, MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
