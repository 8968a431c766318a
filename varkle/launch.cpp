// Starts Zerrow.exe for the selected items, through a list file when they are many.
#include "varkle/varkle.h"

namespace varkle {

namespace {

constexpr wchar_t kSettingsKey[] = L"Software\\Zerrow";
constexpr DWORD kModulePathChars = 32768;

SRWLOCK g_cacheLock = SRWLOCK_INIT;
std::wstring g_cache;

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The library may lie deeper than MAX_PATH; a filled buffer means a cut path, never used.
bool OwnPath(std::wstring& path) {
    std::wstring buffer(kModulePathChars, L'\0');
    const DWORD n = GetModuleFileNameW(g_module, buffer.data(), kModulePathChars);
    if (n == 0 || n >= kModulePathChars) return false;
    path.assign(buffer.data(), n);
    return true;
}

std::wstring RegisteredExePath() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return {};
    wchar_t buffer[520] = {};
    // One character short, so that a value without a terminator still ends in one.
    DWORD bytes = sizeof(buffer) - sizeof(wchar_t);
    DWORD type = 0;
    const LONG status =
        RegQueryValueExW(key, L"ExePath", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_SZ ? std::wstring(buffer) : std::wstring();
}

std::wstring FindZerrow() {
    std::wstring self;
    if (!OwnPath(self)) return {};
    const std::wstring folder = FolderWithSeparator(self);
    std::wstring exe = folder + L"Tandrel.exe";
    if (!Exists(exe)) exe = folder + L"Zerrow.exe";
    if (!Exists(exe)) {
        const std::wstring registered = RegisteredExePath();
        if (!registered.empty()) exe = registered;
    }
    return exe;
}

size_t LastSeparator(const std::wstring& path) { return path.find_last_of(L"\\/"); }

// A selection too long for one command line goes to Zerrow as a file in its
// log folder, %TEMP%\zerrow, which Zerrow deletes once read.
bool WriteListFile(const std::vector<std::wstring>& paths, std::wstring& list) {
    wchar_t temp[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    if (n == 0 || n > MAX_PATH) return false;
    const std::wstring folder = FolderWithSeparator(std::wstring(temp, n)) + L"zerrow";
    CreateDirectoryW(folder.c_str(), nullptr);
    wchar_t name[MAX_PATH];
    if (!GetTempFileNameW(folder.c_str(), L"lst", 0, name)) return false;
    list = name;
    const std::wstring text = ListFileText(paths);
    const DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    HANDLE file = CreateFileW(name, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    bool ok = false;
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        ok = WriteFile(file, text.data(), bytes, &written, nullptr) && written == bytes;
        CloseHandle(file);
    }
    if (!ok) DeleteFileW(name);
    return ok;
}

}  // namespace

std::wstring FolderWithSeparator(const std::wstring& path) {
    const size_t cut = LastSeparator(path);
    return cut == std::wstring::npos ? path : path.substr(0, cut + 1);
}

std::wstring FolderForStart(const std::wstring& path) {
    const size_t cut = LastSeparator(path);
    if (cut == std::wstring::npos) return path;
    // "C:" alone would mean the drive's current folder, not its root.
    if (cut == 2 && path[1] == L':') return path.substr(0, 3);
    return path.substr(0, cut);
}

std::wstring LocateZerrow() {
    AcquireSRWLockExclusive(&g_cacheLock);
    if (g_cache.empty()) g_cache = FindZerrow();
    std::wstring exe = g_cache;
    ReleaseSRWLockExclusive(&g_cacheLock);
    return exe;
}

bool StartZerrow(const std::wstring& exe, const std::wstring& commandLine) {
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    const std::wstring folder = FolderForStart(exe);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &info)) {
        return false;
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return true;
}

bool Launch(IShellItemArray* items, bool move) {
    const std::wstring exe = LocateZerrow();
    if (exe.empty() || !Exists(exe)) return false;
    DWORD count = 0;
    if (!items || FAILED(items->GetCount(&count)) || count == 0) return false;
    std::vector<std::wstring> paths;
    for (DWORD i = 0; i < count; ++i) {
        IShellItem* item = nullptr;
        if (FAILED(items->GetItemAt(i, &item)) || !item) continue;
        LPWSTR path = nullptr;
        // Items without a file-system path (virtual folders) are left out.
        if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &path)) && path)
            paths.push_back(path);
        CoTaskMemFree(path);
        item->Release();
    }
    const std::wstring line = LaunchCommandLine(exe, move, paths);
    if (line.size() <= kMaxCommandLineChars) return StartZerrow(exe, line);
    std::wstring list;
    if (!WriteListFile(paths, list)) return false;
    if (StartZerrow(exe, LaunchCommandLine(exe, move, {L"--list", list}))) return true;
    DeleteFileW(list.c_str());
    return false;
}

}  // namespace varkle
