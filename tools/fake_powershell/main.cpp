// Stand-in for powershell.exe: appends its command line (UTF-8, one line) to
// the file named by ZRW_FAKE_PS_LOG. With ZRW_FAKE_PS_ADD=1 an add creates the
// packaged class's index key and a removal deletes it, as the package manager would.
// ZRW_FAKE_PS_EXIT gives the exit code (0 when unset).
#include <windows.h>

#include <cstdlib>
#include <string>

#include "zerrow_ids.h"

namespace {

std::wstring Env(const wchar_t* name) {
    wchar_t buffer[4096];
    const DWORD n = GetEnvironmentVariableW(name, buffer, 4096);
    return n > 0 && n < 4096 ? std::wstring(buffer, n) : std::wstring();
}

void AppendLine(const std::wstring& path, const std::wstring& text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string line(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), line.data(), n,
                        nullptr, nullptr);
    line += "\n";
    HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
}

}  // namespace

int wmain() {
    const std::wstring commandLine = GetCommandLineW();
    const std::wstring log = Env(L"ZRW_FAKE_PS_LOG");
    if (!log.empty()) AppendLine(log, commandLine);
    const int exitCode = _wtoi(Env(L"ZRW_FAKE_PS_EXIT").c_str());
    if (Env(L"ZRW_FAKE_PS_ADD") != L"1") return exitCode;
    const std::wstring key =
        std::wstring(L"SOFTWARE\\Classes\\PackagedCom\\ClassIndex\\") + ZERROW_ROOT_CLSID_TEXT;
    if (commandLine.find(L"Add-AppxPackage") != std::wstring::npos) {
        HKEY created = nullptr;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                            &created, nullptr) == ERROR_SUCCESS) {
            RegCloseKey(created);
        }
    } else if (commandLine.find(L"Remove-AppxPackage") != std::wstring::npos) {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, key.c_str());
    }
    return exitCode;
}
