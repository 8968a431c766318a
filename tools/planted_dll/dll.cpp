// A library that a test plants beside a copy of the program under the name of
// a library the program loads. Loaded, it leaves an empty file of its own file
// name in the folder that ZRW_PLANTED_MARKS names, and does nothing else.
#include <windows.h>

#include <string>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    wchar_t folder[MAX_PATH], path[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"ZRW_PLANTED_MARKS", folder, MAX_PATH);
    const DWORD m = GetModuleFileNameW(self, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH || m == 0 || m >= MAX_PATH) return TRUE;
    const std::wstring name = path;
    const std::wstring mark = std::wstring(folder) + name.substr(name.find_last_of(L'\\'));
    HANDLE file = CreateFileW(mark.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    return TRUE;
}
