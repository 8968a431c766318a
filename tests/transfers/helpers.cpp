#include "tests/transfers/helpers.h"

#include <tlhelp32.h>

#include <algorithm>

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

namespace {

struct WindowQuery {
    DWORD pid;
    const wchar_t* className;
    const std::wstring* caption;
    HWND found = nullptr;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
    auto* q = reinterpret_cast<WindowQuery*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != q->pid || !IsWindowVisible(window)) return TRUE;
    wchar_t cls[64];
    GetClassNameW(window, cls, 64);
    if (std::wstring(cls) != q->className) return TRUE;
    if (!q->caption->empty() && WindowText(window) != *q->caption) return TRUE;
    q->found = window;
    return FALSE;
}

}  // namespace

HWND WaitForWindow(DWORD pid, const wchar_t* className, const std::wstring& caption,
                   DWORD timeoutMs) {
    ULONGLONG end = GetTickCount64() + timeoutMs;
    do {
        WindowQuery q{pid, className, &caption};
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&q));
        if (q.found) return q.found;
        Sleep(100);
    } while (GetTickCount64() < end);
    return nullptr;
}


size_t CountFiles(const std::wstring& root) { return TreeContents(root).size(); }

std::wstring LogFolderPath() {
    wchar_t temp[MAX_PATH];
    DWORD n = GetTempPathW(MAX_PATH, temp);
    std::wstring folder(temp, n);
    while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return folder + L"\\zerrow";
}

namespace {

void CollectFolders(const std::wstring& root, const std::wstring& rel,
                    std::vector<std::wstring>& out) {
    WIN32_FIND_DATAW fd;
    std::wstring folder = rel.empty() ? root : root + L"\\" + rel;
    UniqueFind find(FindFirstFileW((folder + L"\\*").c_str(), &fd));
    if (!find) return;
    do {
        std::wstring name = fd.cFileName;
        if (name == L"." || name == L".." || !(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        std::wstring child = rel.empty() ? name : rel + L"\\" + name;
        out.push_back(child);
        CollectFolders(root, child, out);
    } while (FindNextFileW(find.get(), &fd));
}

}  // namespace

std::vector<std::wstring> FolderList(const std::wstring& root) {
    std::vector<std::wstring> out;
    CollectFolders(root, L"", out);
    std::sort(out.begin(), out.end());
    return out;
}

std::wstring LatestJobLog() {
    std::wstring newest;
    FILETIME newestTime{};
    WIN32_FIND_DATAW fd;
    UniqueFind find(FindFirstFileW((LogFolderPath() + L"\\copy-*.log").c_str(), &fd));
    if (!find) return newest;
    do {
        if (newest.empty() || CompareFileTime(&fd.ftLastWriteTime, &newestTime) > 0) {
            newest = LogFolderPath() + L"\\" + fd.cFileName;
            newestTime = fd.ftLastWriteTime;
        }
    } while (FindNextFileW(find.get(), &fd));
    return newest;
}

namespace {

DWORD FindRobocopyChild(DWORD parentPid) {
    UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    if (!snapshot || !Process32FirstW(snapshot.get(), &entry)) return 0;
    do {
        if (entry.th32ParentProcessID == parentPid && _wcsicmp(entry.szExeFile, L"robocopy.exe") == 0)
            return entry.th32ProcessID;
    } while (Process32NextW(snapshot.get(), &entry));
    return 0;
}

}  // namespace

UniqueHandle WaitForRobocopyChild(DWORD parentPid, DWORD timeoutMs) {
    DWORD pid = 0;
    if (!WaitUntil([&] { return (pid = FindRobocopyChild(parentPid)) != 0; }, timeoutMs))
        return UniqueHandle();
    return UniqueHandle(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
}

}  // namespace zrw::test
