// Running Zerrow.exe on trees and reading what it left.
#include "tests/transfers/helpers.h"
#include "app/logdir.h"

namespace zrw::test {

Background::Background(const std::vector<std::wstring>& args) {
    std::wstring cmd = QuoteArg(ZerrowExe());
    for (const std::wstring& a : args) cmd += L" " + QuoteArg(a);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return;
    CloseHandle(pi.hThread);
    process_.reset(pi.hProcess);
    pid_ = pi.dwProcessId;
}

Background::~Background() {
    if (process_ && WaitForSingleObject(process_.get(), 0) != WAIT_OBJECT_0) {
        TerminateProcess(process_.get(), 999);
        WaitForSingleObject(process_.get(), 5000);
    }
}

DWORD Background::Wait(DWORD timeoutMs) {
    if (!process_) return 999;
    if (WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process_.get(), 999);
        WaitForSingleObject(process_.get(), 5000);
        return 999;
    }
    DWORD code = 999;
    GetExitCodeProcess(process_.get(), &code);
    return code;
}

HWND WaitForWindow(DWORD pid, const wchar_t* className, const std::wstring& caption,
                   DWORD timeoutMs) {
    std::vector<HWND> found;
    WaitUntil(
        [&] {
            found = TopWindows([&](HWND w) {
                DWORD owner = 0;
                GetWindowThreadProcessId(w, &owner);
                return owner == pid && IsWindowVisible(w) && ClassOf(w) == className &&
                       (caption.empty() || WindowText(w) == caption);
            });
            return !found.empty();
        },
        timeoutMs);
    return found.empty() ? nullptr : found[0];
}

std::vector<std::wstring> JobLogs() {
    std::vector<std::wstring> logs;
    WIN32_FIND_DATAW fd;
    UniqueFind find(FindFirstFileW((LogFolder() + L"\\copy-*.log").c_str(), &fd));
    if (!find) return logs;
    do logs.push_back(LogFolder() + L"\\" + fd.cFileName);
    while (FindNextFileW(find.get(), &fd));
    return logs;
}

std::wstring LatestJobLog() {
    std::wstring newest;
    FILETIME newestTime{};
    for (const std::wstring& log : JobLogs()) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        GetFileAttributesExW(log.c_str(), GetFileExInfoStandard, &data);
        if (newest.empty() || CompareFileTime(&data.ftLastWriteTime, &newestTime) > 0) {
            newest = log;
            newestTime = data.ftLastWriteTime;
        }
    }
    return newest;
}

}  // namespace zrw::test
