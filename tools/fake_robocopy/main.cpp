// A stand-in for the system's robocopy, installed into the test prefix. It
// takes robocopy's command line for the switches the program may use, copies
// or moves the way those switches ask, appends to the /LOG+: file and exits
// with robocopy's bit mask: 0 nothing to do, 1 files copied, 8 some failed,
// 16 fatal. Anything it does not know is refused with 16, as robocopy
// refuses it. Without /LOG+: the record goes to standard output; with /L it
// only counts what it would copy.
//
// Test controls (environment):
//   ZRW_FAKE_ROBO_DELAY_MS  sleep this long before each file
//   ZRW_FAKE_ROBO_EXIT      do the work, then exit with this code (0x.. allowed)
//   ZRW_FAKE_ROBO_GROW      append to each source once it is copied, as a
//                           program still writing its log would
//   ZRW_FAKE_ROBO_NO_SPARSE set: the robocopy before Windows 11 22H2, which
//                           does not know /SPARSE
#include "tools/stand_in.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

enum : DWORD { kNothing = 0, kCopied = 1, kSomeFailed = 8, kFatal = 16 };

// Attributes that make same-size, same-time files "tweaked", and those a
// copy can carry over.
constexpr DWORD kComparedAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
    FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
    FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | FILE_ATTRIBUTE_COMPRESSED | FILE_ATTRIBUTE_ENCRYPTED;
constexpr DWORD kSettableAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                      FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
                                      FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

struct Request {
    std::wstring source;       // folder, as given
    std::wstring destination;  // folder, as given
    std::vector<std::wstring> filters;
    std::wstring logPath;
    std::wstring options;           // the switches as given, for the log
    bool everyFolder = false;       // /E
    bool subFolders = false;        // /S
    bool skipJunctions = false;     // /XJ
    bool moveFiles = false;         // /MOV or /MOVE
    bool moveFolders = false;       // /MOVE
    bool includeSame = false;       // /IS
    bool includeTweaked = false;    // /IT
    bool excludeChanged = false;    // /XC
    bool excludeNewer = false;      // /XN
    bool excludeOlder = false;      // /XO
    bool listOnly = false;          // /L
    uint64_t maxSize = UINT64_MAX;  // /MAX:n leaves larger files
};

struct Counts {
    uint64_t copied = 0;
    uint64_t skipped = 0;
    uint64_t failed = 0;
    uint64_t folders = 0;
};

struct Entry {
    std::wstring name;
    DWORD attributes = 0;
};

DWORD g_delayMs = 0;
bool g_growSources = false;

std::wstring Upper(std::wstring text) {
    if (!text.empty()) CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
    return text.rfind(prefix, 0) == 0;
}

std::wstring Long(const std::wstring& path) {
    if (StartsWith(path, L"\\\\?\\")) return path;
    if (StartsWith(path, L"\\\\")) return L"\\\\?\\UNC\\" + path.substr(2);
    if (path.size() > 1 && path[1] == L':') return L"\\\\?\\" + path;
    return path;
}

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
    if (!folder.empty() && folder.back() == L'\\') return folder + name;
    return folder + L"\\" + name;
}

bool IsDriveRoot(const std::wstring& path) {
    size_t skip = StartsWith(path, L"\\\\?\\") ? 4 : 0;
    return path.size() == skip + 3 && path[skip + 1] == L':' && path[skip + 2] == L'\\';
}

// An absolute path without a trailing backslash (a drive root keeps its
// own), so that the long form can be put in front of it.
std::wstring FullPath(const std::wstring& path) {
    std::wstring full = path;
    if (!StartsWith(path, L"\\\\?\\")) {
        DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
        if (n == 0) return {};
        full.assign(n, L'\0');
        n = GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
        if (n == 0 || n >= full.size()) return {};
        full.resize(n);
    }
    while (full.size() > 3 && full.back() == L'\\' && !IsDriveRoot(full)) full.pop_back();
    return full;
}

// Decimal digits only, within [low, high].
bool ParseNumber(const std::wstring& text, uint32_t low, uint32_t high) {
    if (text.empty() || text.size() > 10) return false;
    uint64_t value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return false;
        value = value * 10 + static_cast<uint64_t>(c - L'0');
    }
    return value >= low && value <= high;
}

bool ParseSwitch(const std::wstring& arg, Request& request) {
    std::wstring name = Upper(arg);
    if (StartsWith(name, L"/LOG+:")) {
        if (arg.size() == 6 || !request.logPath.empty()) return false;
        request.logPath = arg.substr(6);
        return true;
    }
    if (StartsWith(name, L"/R:") || StartsWith(name, L"/W:"))
        return ParseNumber(name.substr(3), 0, UINT32_MAX);
    if (StartsWith(name, L"/MT:")) return ParseNumber(name.substr(4), 1, 128);
    if (StartsWith(name, L"/MAX:")) {
        std::wstring digits = name.substr(5);
        if (digits.empty() || digits.size() > 19 ||
            digits.find_first_not_of(L"0123456789") != std::wstring::npos)
            return false;
        request.maxSize = std::wcstoull(digits.c_str(), nullptr, 10);
        return true;
    }
    struct Flag {
        const wchar_t* name;
        bool Request::*field;
    };
    static const Flag flags[] = {
        {L"/E", &Request::everyFolder},     {L"/S", &Request::subFolders},
        {L"/XJ", &Request::skipJunctions},  {L"/MOV", &Request::moveFiles},
        {L"/IS", &Request::includeSame},    {L"/IT", &Request::includeTweaked},
        {L"/XC", &Request::excludeChanged}, {L"/XN", &Request::excludeNewer},
        {L"/XO", &Request::excludeOlder},   {L"/L", &Request::listOnly},
    };
    for (const Flag& flag : flags) {
        if (name != flag.name) continue;
        request.*flag.field = true;
        return true;
    }
    if (name == L"/MOVE") {
        request.moveFiles = request.moveFolders = true;
        return true;
    }
    // Accepted; the stand-in always carries data, attributes and times.
    for (const wchar_t* accepted : {L"/COPY:DAT", L"/DCOPY:DAT", L"/NFL", L"/NDL", L"/NP"})
        if (name == accepted) return true;
    return name == L"/SPARSE" && zrw::stand_in::Env(L"ZRW_FAKE_ROBO_NO_SPARSE").empty();
}

// robocopy SOURCE DEST [FILTER...] [switches]: positional arguments first,
// switches in any order after them.
bool ParseRequest(const std::vector<std::wstring>& args, Request& request) {
    std::vector<std::wstring> positional;
    bool inSwitches = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        if (!arg.empty() && arg[0] == L'/') {
            inSwitches = true;
            if (!ParseSwitch(arg, request)) return false;
            if (!StartsWith(Upper(arg), L"/LOG+:")) request.options += L" " + arg;
        } else if (inSwitches || arg.empty()) {
            return false;
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() < 2) return false;
    request.source = positional[0];
    request.destination = positional[1];
    request.filters.assign(positional.begin() + 2, positional.end());
    return true;
}

// '*' any run of characters, '?' any one; both arguments already upper case.
bool Wildcard(const wchar_t* pattern, const wchar_t* name) {
    const wchar_t* star = nullptr;
    const wchar_t* resume = nullptr;
    while (*name) {
        if (*pattern == L'*') {
            star = pattern++;
            resume = name;
        } else if (*pattern == L'?' || *pattern == *name) {
            ++pattern;
            ++name;
        } else if (star) {
            pattern = star + 1;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == L'*') ++pattern;
    return *pattern == L'\0';
}

// As on Windows, a trailing ".*" also takes names without a dot ("*.*" is all).
bool MatchesFilter(const std::wstring& filter, const std::wstring& name) {
    std::wstring pattern = Upper(filter);
    std::wstring upperName = Upper(name);
    if (Wildcard(pattern.c_str(), upperName.c_str())) return true;
    if (pattern.size() < 2 || pattern.compare(pattern.size() - 2, 2, L".*") != 0) return false;
    if (upperName.find(L'.') != std::wstring::npos) return false;
    return Wildcard(pattern.substr(0, pattern.size() - 2).c_str(), upperName.c_str());
}

bool Wanted(const Request& request, const std::wstring& name) {
    if (request.filters.empty()) return true;
    for (const std::wstring& filter : request.filters)
        if (MatchesFilter(filter, name)) return true;
    return false;
}

bool IsFolder(const std::wstring& path) {
    DWORD attrs = GetFileAttributesW(Long(path).c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY);
}

// robocopy makes the whole destination path, parents included.
bool MakeTree(const std::wstring& path) {
    DWORD attrs = GetFileAttributesW(Long(path).c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES) return (attrs & FILE_ATTRIBUTE_DIRECTORY) != 0;
    size_t cut = path.find_last_of(L'\\');
    if (cut != std::wstring::npos && cut > 2) MakeTree(path.substr(0, cut));
    return CreateDirectoryW(Long(path).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

// Everything in a folder but "." and "..", read before anything changes it.
bool ListFolder(const std::wstring& folder, std::vector<Entry>& entries) {
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW(Long(Join(folder, L"*")).c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    do {
        std::wstring name = fd.cFileName;
        if (name != L"." && name != L"..") entries.push_back({name, fd.dwFileAttributes});
    } while (FindNextFileW(find, &fd));
    bool complete = GetLastError() == ERROR_NO_MORE_FILES;
    FindClose(find);
    return complete;
}

bool CarryTimes(const std::wstring& from, const std::wstring& to, bool folder) {
    DWORD flags = folder ? FILE_FLAG_BACKUP_SEMANTICS : 0;
    DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    HANDLE src = CreateFileW(Long(from).c_str(), FILE_READ_ATTRIBUTES, share, nullptr,
                             OPEN_EXISTING, flags, nullptr);
    if (src == INVALID_HANDLE_VALUE) return false;
    FILETIME c, a, w;
    bool got = GetFileTime(src, &c, &a, &w) != FALSE;
    CloseHandle(src);
    if (!got) return false;
    HANDLE dst = CreateFileW(Long(to).c_str(), FILE_WRITE_ATTRIBUTES, share, nullptr, OPEN_EXISTING,
                             flags, nullptr);
    if (dst == INVALID_HANDLE_VALUE) return false;
    bool set = SetFileTime(dst, &c, &a, &w) != FALSE;
    CloseHandle(dst);
    return set;
}

bool CarryAttributes(DWORD attributes, const std::wstring& to) {
    DWORD settable = attributes & kSettableAttributes;
    return SetFileAttributesW(Long(to).c_str(), settable ? settable : FILE_ATTRIBUTE_NORMAL);
}

bool SameSizeAndTime(const WIN32_FILE_ATTRIBUTE_DATA& a, const WIN32_FILE_ATTRIBUTE_DATA& b) {
    return a.nFileSizeHigh == b.nFileSizeHigh && a.nFileSizeLow == b.nFileSizeLow &&
           CompareFileTime(&a.ftLastWriteTime, &b.ftLastWriteTime) == 0;
}

// A same file is skipped unless /IS; one that differs only in attributes
// also goes with /IT. As robocopy documents them: /XC leaves a "changed" file
// (same time, other size), /XN a source newer than its destination, /XO a
// source older than it.
bool NeedsCopy(const Request& request, const WIN32_FILE_ATTRIBUTE_DATA& src,
               const std::wstring& to) {
    WIN32_FILE_ATTRIBUTE_DATA dst;
    if (!GetFileAttributesExW(Long(to).c_str(), GetFileExInfoStandard, &dst)) return true;
    if (dst.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return true;  // fails, as it should
    LONG order = CompareFileTime(&src.ftLastWriteTime, &dst.ftLastWriteTime);
    if (order == 0 && !SameSizeAndTime(src, dst)) return !request.excludeChanged;
    if (order > 0) return !request.excludeNewer;
    if (order < 0) return !request.excludeOlder;
    if (request.includeSame) return true;
    bool tweaked = ((src.dwFileAttributes ^ dst.dwFileAttributes) & kComparedAttributes) != 0;
    return tweaked && request.includeTweaked;
}

bool CopyOne(const std::wstring& from, const std::wstring& to,
             const WIN32_FILE_ATTRIBUTE_DATA& src) {
    DWORD old = GetFileAttributesW(Long(to).c_str());
    // CopyFileW will not overwrite a read-only or hidden file.
    if (old != INVALID_FILE_ATTRIBUTES && (old & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN)))
        SetFileAttributesW(Long(to).c_str(),
                           old & ~(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    if (!CopyFileW(Long(from).c_str(), Long(to).c_str(), FALSE)) return false;
    return CarryTimes(from, to, false) && CarryAttributes(src.dwFileAttributes, to);
}

void Grow(const std::wstring& path) {
    HANDLE file = CreateFileW(Long(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, " and a new line", 15, &written, nullptr);
    CloseHandle(file);
}

bool DeleteSource(const std::wstring& path, DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesW(Long(path).c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (!DeleteFileW(Long(path).c_str())) return false;
    // Wine can report success although the unlink at close failed.
    return GetFileAttributesW(Long(path).c_str()) == INVALID_FILE_ATTRIBUTES;
}

// A copied file, and with a move also a skipped one, counts as done; only
// then does the source go.
void TransferFile(const Request& request, const std::wstring& fromFolder,
                  const std::wstring& toFolder, const std::wstring& name, Counts& counts) {
    if (g_delayMs) Sleep(g_delayMs);
    std::wstring from = Join(fromFolder, name);
    std::wstring to = Join(toFolder, name);
    WIN32_FILE_ATTRIBUTE_DATA src;
    if (!GetFileAttributesExW(Long(from).c_str(), GetFileExInfoStandard, &src)) {
        ++counts.failed;
        return;
    }
    if ((static_cast<uint64_t>(src.nFileSizeHigh) << 32 | src.nFileSizeLow) > request.maxSize)
        return;  // left out, as robocopy leaves it: neither copied nor counted
    if (!NeedsCopy(request, src, to)) {
        ++counts.skipped;
    } else if (request.listOnly) {
        ++counts.copied;
        return;
    } else if (!MakeTree(toFolder) || !CopyOne(from, to, src)) {
        ++counts.failed;
        return;
    } else {
        ++counts.copied;
        if (g_growSources) Grow(from);
    }
    if (request.moveFiles && !request.listOnly && !DeleteSource(from, src.dwFileAttributes))
        ++counts.failed;
}

// A folder that is still not empty stays; that is no failure.
void RemoveSourceFolder(const std::wstring& path) {
    if (RemoveDirectoryW(Long(path).c_str())) return;
    DWORD attrs = GetFileAttributesW(Long(path).c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES || !(attrs & FILE_ATTRIBUTE_READONLY)) return;
    SetFileAttributesW(Long(path).c_str(), attrs & ~FILE_ATTRIBUTE_READONLY);
    if (!RemoveDirectoryW(Long(path).c_str())) SetFileAttributesW(Long(path).c_str(), attrs);
}

bool Excluded(const Request& request, const Entry& entry) {
    return request.skipJunctions && (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Files first, then sub-folders (/S, /E); /E makes every destination folder,
// /S only those that receive a file. Folder times and attributes follow the
// contents, and /MOVE removes the source folder once it is empty.
void TransferFolder(const Request& request, const std::wstring& from, const std::wstring& to,
                    Counts& counts) {
    std::vector<Entry> entries;
    if (!ListFolder(from, entries)) {
        ++counts.failed;
        return;
    }
    if (request.everyFolder && !request.listOnly && !MakeTree(to)) {
        ++counts.failed;
        return;
    }
    for (const Entry& entry : entries)
        if (!(entry.attributes & FILE_ATTRIBUTE_DIRECTORY) && !Excluded(request, entry) &&
            Wanted(request, entry.name))
            TransferFile(request, from, to, entry.name, counts);
    if (request.everyFolder || request.subFolders) {
        for (const Entry& entry : entries)
            if ((entry.attributes & FILE_ATTRIBUTE_DIRECTORY) && !Excluded(request, entry))
                TransferFolder(request, Join(from, entry.name), Join(to, entry.name), counts);
    }
    if (request.listOnly) return;
    if (IsFolder(to)) {
        ++counts.folders;
        CarryTimes(from, to, true);
        DWORD attrs = GetFileAttributesW(Long(from).c_str());
        if (attrs != INVALID_FILE_ATTRIBUTES) CarryAttributes(attrs, to);
    }
    if (request.moveFolders) RemoveSourceFolder(from);
}

DWORD Run(const Request& request, Counts& counts) {
    std::wstring from = FullPath(request.source);
    std::wstring to = FullPath(request.destination);
    if (from.empty() || !IsFolder(from)) {
        fwprintf(stderr, L"robocopy stand-in: no source folder: %ls\n", request.source.c_str());
        return kFatal;
    }
    // The top destination folder is made even when nothing goes into it.
    if (to.empty() || (!request.listOnly && !MakeTree(to))) {
        fwprintf(stderr, L"robocopy stand-in: cannot make destination: %ls\n",
                 request.destination.c_str());
        return kFatal;
    }
    TransferFolder(request, from, to, counts);
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

// /LOG+: appends and creates the file when it is missing; without it the
// record goes to standard output.
void AppendLog(const std::wstring& path, const std::wstring& text) {
    std::string bytes = Utf8(text);
    DWORD written = 0;
    if (path.empty()) {
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
                  &written, nullptr);
        return;
    }
    HANDLE log = CreateFileW(Long(FullPath(path)).c_str(), FILE_APPEND_DATA,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE) return;
    WriteFile(log, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(log);
}

std::wstring LogBlock(const Request& request, const Counts& counts, DWORD code) {
    std::wstring filters;
    for (const std::wstring& filter : request.filters)
        filters += (filters.empty() ? L"" : L" ") + filter;
    wchar_t summary[160];
    swprintf(summary, 160, L"   Files : copied %llu, skipped %llu, failed %llu; dirs %llu\r\n",
             static_cast<unsigned long long>(counts.copied),
             static_cast<unsigned long long>(counts.skipped),
             static_cast<unsigned long long>(counts.failed),
             static_cast<unsigned long long>(counts.folders));
    wchar_t ended[64];
    swprintf(ended, 64, L"   Ended : exit code 0x%08X\r\n\r\n", static_cast<unsigned>(code));
    return L"-------------------------------------------------------------\r\n"
           L"  Source : " +
           request.source + L"\r\n    Dest : " + request.destination + L"\r\n   Files : " +
           (filters.empty() ? L"*.*" : filters) + L"\r\n Options :" + request.options + L"\r\n" +
           summary + ended;
}

DWORD EnvNumber(const wchar_t* name, DWORD fallback, bool* given = nullptr) {
    wchar_t value[32];
    DWORD n = GetEnvironmentVariableW(name, value, 32);
    if (given) *given = n > 0 && n < 32;
    if (n == 0 || n >= 32) return fallback;
    return static_cast<DWORD>(wcstoul(value, nullptr, 0));
}

}  // namespace

// Split by the system's documented rules, as robocopy's own start-up does: a
// backslash before a closing quote must have been doubled by the caller, or
// the quote is taken literally and the argument runs on into the switches.
int wmain() {
    Request request;
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> args;
    if (argv) args.assign(argv, argv + count);
    LocalFree(argv);
    if (!ParseRequest(args, request)) {
        fwprintf(stderr, L"robocopy stand-in: unexpected command line: %ls\n", GetCommandLineW());
        return kFatal;
    }
    g_delayMs = EnvNumber(L"ZRW_FAKE_ROBO_DELAY_MS", 0);
    g_growSources = GetEnvironmentVariableW(L"ZRW_FAKE_ROBO_GROW", nullptr, 0) > 0;
    Counts counts;
    DWORD code = Run(request, counts);
    bool forced = false;
    DWORD forcedCode = EnvNumber(L"ZRW_FAKE_ROBO_EXIT", 0, &forced);
    if (forced) code = forcedCode;
    AppendLog(request.logPath, LogBlock(request, counts, code));
    return static_cast<int>(code);
}
