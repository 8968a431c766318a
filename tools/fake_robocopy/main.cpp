// A stand-in for the system's robocopy, installed into the test prefix. It
// accepts only the command lines the program builds, copies or moves the way
// those switches ask, appends to the /LOG+: file and exits with robocopy's
// bit mask: 0 nothing to do, 1 files copied, 8 some failed, 16 fatal.
//
// Test controls (environment):
//   ZRW_FAKE_ROBO_DELAY_MS  sleep this long before each file
//   ZRW_FAKE_ROBO_EXIT      do the work, then exit with this code (0x.. allowed)
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

enum : DWORD { kNothing = 0, kCopied = 1, kSomeFailed = 8, kFatal = 16 };

struct Request {
    std::wstring source;       // folder
    std::wstring destination;  // folder
    std::wstring fileName;     // file form only
    bool move = false;
    std::wstring logPath;
};

struct Counts {
    uint64_t copied = 0;
    uint64_t skipped = 0;
    uint64_t failed = 0;
    uint64_t folders = 0;
};

DWORD g_delayMs = 0;

std::wstring Long(const std::wstring& path) {
    if (path.rfind(L"\\\\?\\", 0) == 0) return path;
    if (path.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + path.substr(2);
    if (path.size() > 1 && path[1] == L':') return L"\\\\?\\" + path;
    return path;
}

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
    if (!folder.empty() && folder.back() == L'\\') return folder + name;
    return folder + L"\\" + name;
}

bool IsThreadSwitch(const std::wstring& arg) {
    if (arg.rfind(L"/MT:", 0) != 0 || arg.size() == 4) return false;
    for (size_t i = 4; i < arg.size(); ++i)
        if (arg[i] < L'0' || arg[i] > L'9') return false;
    return true;
}

// Exactly: robocopy SRC DST [FILE] /E /XJ /SPARSE /COPY:DAT /DCOPY:DAT /R:1
// /W:1 /MT:n /NFL /NDL /NP [/MOVE] /LOG+:PATH
bool ParseRequest(const std::vector<std::wstring>& args, Request& request) {
    size_t i = 1;
    std::vector<std::wstring> positional;
    while (i < args.size() && !args[i].empty() && args[i][0] != L'/') positional.push_back(args[i++]);
    if (positional.size() < 2 || positional.size() > 3) return false;
    request.source = positional[0];
    request.destination = positional[1];
    if (positional.size() == 3) request.fileName = positional[2];
    static const wchar_t* const fixed[] = {L"/E",    L"/XJ",  L"/SPARSE", L"/COPY:DAT",
                                           L"/DCOPY:DAT", L"/R:1", L"/W:1"};
    for (const wchar_t* name : fixed)
        if (i >= args.size() || args[i++] != name) return false;
    if (i >= args.size() || !IsThreadSwitch(args[i++])) return false;
    for (const wchar_t* name : {L"/NFL", L"/NDL", L"/NP"})
        if (i >= args.size() || args[i++] != name) return false;
    if (i < args.size() && args[i] == L"/MOVE") {
        request.move = true;
        ++i;
    }
    if (i >= args.size() || args[i].rfind(L"/LOG+:", 0) != 0 || args[i].size() == 6) return false;
    request.logPath = args[i++].substr(6);
    return i == args.size();
}

bool SameFile(const WIN32_FILE_ATTRIBUTE_DATA& a, const WIN32_FILE_ATTRIBUTE_DATA& b) {
    return a.nFileSizeHigh == b.nFileSizeHigh && a.nFileSizeLow == b.nFileSizeLow &&
           CompareFileTime(&a.ftLastWriteTime, &b.ftLastWriteTime) == 0;
}

void CopyTimes(const std::wstring& from, const std::wstring& to, bool folder) {
    DWORD flags = folder ? FILE_FLAG_BACKUP_SEMANTICS : 0;
    HANDLE src = CreateFileW(Long(from).c_str(), FILE_READ_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, flags, nullptr);
    if (src == INVALID_HANDLE_VALUE) return;
    FILETIME c, a, w;
    bool got = GetFileTime(src, &c, &a, &w) != FALSE;
    CloseHandle(src);
    if (!got) return;
    HANDLE dst = CreateFileW(Long(to).c_str(), FILE_WRITE_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, flags, nullptr);
    if (dst == INVALID_HANDLE_VALUE) return;
    SetFileTime(dst, &c, &a, &w);
    CloseHandle(dst);
}

// One file with data, attributes and times; a file that is already the same
// is left alone. With move the source goes once the destination holds it.
void TransferFile(const std::wstring& from, const std::wstring& to, bool move, Counts& counts) {
    if (g_delayMs) Sleep(g_delayMs);
    WIN32_FILE_ATTRIBUTE_DATA src, dst;
    if (!GetFileAttributesExW(Long(from).c_str(), GetFileExInfoStandard, &src)) {
        ++counts.failed;
        return;
    }
    if (GetFileAttributesExW(Long(to).c_str(), GetFileExInfoStandard, &dst) && SameFile(src, dst)) {
        ++counts.skipped;
    } else {
        if (GetFileAttributesW(Long(to).c_str()) != INVALID_FILE_ATTRIBUTES)
            SetFileAttributesW(Long(to).c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!CopyFileW(Long(from).c_str(), Long(to).c_str(), FALSE)) {
            ++counts.failed;
            return;
        }
        CopyTimes(from, to, false);
        SetFileAttributesW(Long(to).c_str(), src.dwFileAttributes);
        ++counts.copied;
    }
    if (!move) return;
    if (src.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesW(Long(from).c_str(), src.dwFileAttributes & ~FILE_ATTRIBUTE_READONLY);
    if (!DeleteFileW(Long(from).c_str())) ++counts.failed;
}

// robocopy makes the whole destination path, parents included.
bool MakeTree(const std::wstring& path) {
    if (GetFileAttributesW(Long(path).c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    size_t cut = path.find_last_of(L'\\');
    if (cut != std::wstring::npos && cut > 2) MakeTree(path.substr(0, cut));
    return CreateDirectoryW(Long(path).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

// /E with /XJ: every sub-folder, empty ones too, junctions and links left out.
void TransferFolder(const std::wstring& from, const std::wstring& to, bool move, Counts& counts) {
    if (!MakeTree(to)) {
        ++counts.failed;
        return;
    }
    ++counts.folders;
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW(Long(Join(from, L"*")).c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = fd.cFileName;
            if (name == L"." || name == L".." || (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                continue;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                TransferFolder(Join(from, name), Join(to, name), move, counts);
            else
                TransferFile(Join(from, name), Join(to, name), move, counts);
        } while (FindNextFileW(find, &fd));
        FindClose(find);
    }
    CopyTimes(from, to, true);
    DWORD attrs = GetFileAttributesW(Long(from).c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(Long(to).c_str(), attrs);
    if (move) RemoveDirectoryW(Long(from).c_str());  // stays when something was left in it
}

DWORD Run(const Request& request, Counts& counts) {
    DWORD attrs = GetFileAttributesW(Long(request.source).c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES || !(attrs & FILE_ATTRIBUTE_DIRECTORY)) return kFatal;
    if (request.fileName.empty()) {
        TransferFolder(request.source, request.destination, request.move, counts);
    } else {
        std::wstring from = Join(request.source, request.fileName);
        if (GetFileAttributesW(Long(from).c_str()) == INVALID_FILE_ATTRIBUTES) return kNothing;
        if (!MakeTree(request.destination)) return kFatal;
        TransferFile(from, Join(request.destination, request.fileName), request.move, counts);
    }
    return (counts.copied ? kCopied : kNothing) | (counts.failed ? kSomeFailed : kNothing);
}

std::string Utf8(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

// /LOG+: appends and creates the file when it is missing.
void AppendLog(const std::wstring& path, const std::wstring& text) {
    HANDLE log = CreateFileW(Long(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE) return;
    std::string bytes = Utf8(text);
    DWORD written = 0;
    WriteFile(log, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(log);
}

DWORD EnvNumber(const wchar_t* name, DWORD fallback, bool* given = nullptr) {
    wchar_t value[32];
    DWORD n = GetEnvironmentVariableW(name, value, 32);
    if (given) *given = n > 0 && n < 32;
    if (n == 0 || n >= 32) return fallback;
    return static_cast<DWORD>(wcstoul(value, nullptr, 0));
}

}  // namespace

// The C runtime splits the command line as robocopy's own does, so a
// backslash before a closing quote must have been doubled by the caller.
int wmain(int argc, wchar_t** argv) {
    Request request;
    std::vector<std::wstring> args(argv, argv + argc);
    if (!ParseRequest(args, request)) {
        fwprintf(stderr, L"robocopy stand-in: unexpected command line: %ls\n", GetCommandLineW());
        return kFatal;
    }
    g_delayMs = EnvNumber(L"ZRW_FAKE_ROBO_DELAY_MS", 0);
    Counts counts;
    DWORD code = Run(request, counts);
    bool forced = false;
    DWORD forcedCode = EnvNumber(L"ZRW_FAKE_ROBO_EXIT", 0, &forced);
    if (forced) code = forcedCode;
    wchar_t summary[160];
    swprintf(summary, 160, L"   Files : copied %llu, skipped %llu, failed %llu; dirs %llu\r\n",
             static_cast<unsigned long long>(counts.copied),
             static_cast<unsigned long long>(counts.skipped),
             static_cast<unsigned long long>(counts.failed),
             static_cast<unsigned long long>(counts.folders));
    wchar_t ended[64];
    swprintf(ended, 64, L"   Ended : exit code 0x%08X\r\n\r\n", static_cast<unsigned>(code));
    AppendLog(request.logPath, L"-------------------------------------------------------------\r\n"
                               L"  Source : " + request.source + L"\r\n    Dest : " +
                                   request.destination + L"\r\n   Files : " +
                                   (request.fileName.empty() ? L"*.*" : request.fileName) +
                                   (request.move ? L"\r\n Options : /MOVE\r\n" : L"\r\n") +
                                   summary + ended);
    return static_cast<int>(code);
}
