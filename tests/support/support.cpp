// Files, trees, processes and waits shared by every test program.
#include "tests/support/support.h"

#include "app/logdir.h"
#include "engine/driver.h"
#include "varkle/argv.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace zrw::test {

namespace {

std::wstring Long(const std::wstring& path) {
    if (path.rfind(L"\\\\?\\", 0) == 0) return path;
    if (path.size() > 1 && path[1] == L':') return L"\\\\?\\" + path;
    return path;
}

std::wstring ExeFolder() {
    std::wstring buffer(32768, L'\0');
    DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    buffer.resize(n);
    return buffer.substr(0, buffer.find_last_of(L'\\'));
}

// Files with their contents, folders by name, below root\rel.
void Collect(const std::wstring& root, const std::wstring& rel,
             std::vector<std::pair<std::wstring, std::string>>* files,
             std::vector<std::wstring>* folders) {
    WIN32_FIND_DATAW fd;
    std::wstring folder = rel.empty() ? root : root + L"\\" + rel;
    UniqueFind find(FindFirstFileW(Long(folder + L"\\*").c_str(), &fd));
    if (!find) return;
    do {
        std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        std::wstring child = rel.empty() ? name : rel + L"\\" + name;
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            if (files) files->emplace_back(child, ReadBytes(root + L"\\" + child));
            continue;
        }
        if (folders) folders->push_back(child);
        Collect(root, child, files, folders);
    } while (FindNextFileW(find.get(), &fd));
}

// Drains one pipe on a thread of its own so that a chatty child never blocks.
std::thread Drain(HANDLE pipe, std::string& sink) {
    return std::thread([pipe, &sink] {
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(pipe, buffer, sizeof(buffer), &got, nullptr) && got > 0)
            sink.append(buffer, got);
    });
}

}  // namespace

TempDir::TempDir() {
    static std::atomic<unsigned> counter{0};
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring base = temp;
    if (!base.empty() && base.back() == L'\\') base.pop_back();
    path_ = base + L"\\zrwtest-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(GetTickCount64()) + L"-" + std::to_wstring(counter++);
    CreateDirectoryW(path_.c_str(), nullptr);
}

TempDir::~TempDir() { RemoveTree(path_); }

void RemoveTree(const std::wstring& path) {
    std::wstring lp = Long(path);
    DWORD attrs = GetFileAttributesW(lp.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES) return;
    SetFileAttributesW(lp.c_str(), attrs & ~FILE_ATTRIBUTE_READONLY);
    if (!(attrs & FILE_ATTRIBUTE_DIRECTORY) || (attrs & FILE_ATTRIBUTE_REPARSE_POINT)) {
        if (!DeleteFileW(lp.c_str())) RemoveDirectoryW(lp.c_str());
        return;
    }
    WIN32_FIND_DATAW fd;
    {
        UniqueFind find(FindFirstFileW((lp + L"\\*").c_str(), &fd));
        if (find) {
            do {
                std::wstring name = fd.cFileName;
                if (name != L"." && name != L"..") RemoveTree(path + L"\\" + name);
            } while (FindNextFileW(find.get(), &fd));
        }
    }
    RemoveDirectoryW(lp.c_str());
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    UniqueFile f(CreateFileW(Long(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return false;
    DWORD written = 0;
    return WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

// Only the missing folders are made, from the deepest existing one down, so
// that building a deep tree file by file does not cost depth squared.
bool WriteBytesDeep(const std::wstring& path, const std::string& bytes) {
    std::vector<std::wstring> missing;
    for (std::wstring folder = path.substr(0, path.find_last_of(L'\\'));
         folder.size() > 3 && GetFileAttributesW(Long(folder).c_str()) == INVALID_FILE_ATTRIBUTES;
         folder = folder.substr(0, folder.find_last_of(L'\\')))
        missing.push_back(folder);
    for (auto it = missing.rbegin(); it != missing.rend(); ++it)
        CreateDirectoryW(Long(*it).c_str(), nullptr);
    return WriteBytes(path, bytes);
}

std::string ReadBytes(const std::wstring& path) {
    UniqueFile f(CreateFileW(Long(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, 0, nullptr));
    if (!f) return {};
    std::string out;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(f.get(), buffer, sizeof(buffer), &got, nullptr) && got > 0)
        out.append(buffer, got);
    return out;
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(Long(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

namespace {

UniqueFile OpenAttributes(const std::wstring& path, DWORD access) {
    return UniqueFile(CreateFileW(Long(path).c_str(), access,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

}  // namespace

FILETIME WriteTime(const std::wstring& path) {
    FILETIME written{};
    UniqueFile f = OpenAttributes(path, FILE_READ_ATTRIBUTES);
    if (f) GetFileTime(f.get(), nullptr, nullptr, &written);
    return written;
}

bool SetWriteTime(const std::wstring& path, FILETIME time) {
    UniqueFile f = OpenAttributes(path, FILE_WRITE_ATTRIBUTES);
    return f && SetFileTime(f.get(), nullptr, nullptr, &time);
}

int64_t ReadDword(const wchar_t* key, const wchar_t* name) {
    DWORD value = 0, size = sizeof(value), type = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_ANY, &type, &value, &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != 4)
        return -1;
    return value;
}

bool WriteDword(const wchar_t* key, const wchar_t* name, DWORD value) {
    return RegSetKeyValueW(HKEY_CURRENT_USER, key, name, REG_DWORD, &value, sizeof(value)) ==
           ERROR_SUCCESS;
}

bool KeyExists(HKEY root, const std::wstring& key) {
    UniqueKey opened;
    return RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, opened.put()) == ERROR_SUCCESS;
}

std::vector<std::pair<std::wstring, std::string>> TreeContents(const std::wstring& root) {
    std::vector<std::pair<std::wstring, std::string>> out;
    Collect(root, L"", &out, nullptr);
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<std::wstring> Listing(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    UniqueFind find(FindFirstFileW(Long(folder + L"\\*").c_str(), &fd));
    if (!find) return names;
    do
        if (wcscmp(fd.cFileName, L".") && wcscmp(fd.cFileName, L".."))
            names.push_back(fd.cFileName);
    while (FindNextFileW(find.get(), &fd));
    return names;
}

std::vector<std::wstring> FolderList(const std::wstring& root) {
    std::vector<std::wstring> out;
    Collect(root, L"", nullptr, &out);
    std::sort(out.begin(), out.end());
    return out;
}

ProcessResult RunProcess(const std::wstring& commandLine, DWORD timeoutMs,
                         const std::wstring& currentDir) {
    ProcessResult result;
    SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
    HANDLE outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
    CreatePipe(&outRead, &outWrite, &sa, 0);
    CreatePipe(&errRead, &errWrite, &sa, 0);
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
    UniqueHandle outR(outRead), outW(outWrite), errR(errRead), errW(errWrite);
    UniqueFile nul(CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                               OPEN_EXISTING, 0, nullptr));

    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = nul.get();
    si.hStdOutput = outWrite;
    si.hStdError = errWrite;
    PROCESS_INFORMATION pi{};
    std::wstring cmd = commandLine;
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        currentDir.empty() ? nullptr : currentDir.c_str(), &si, &pi))
        return result;
    result.started = true;
    UniqueHandle process(pi.hProcess), thread(pi.hThread);
    outW.reset();
    errW.reset();
    std::thread outThread = Drain(outRead, result.out);
    std::thread errThread = Drain(errRead, result.err);
    if (WaitForSingleObject(pi.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        result.timedOut = true;
        TerminateProcess(pi.hProcess, 999);
        WaitForSingleObject(pi.hProcess, 5000);
    }
    GetExitCodeProcess(pi.hProcess, &result.exitCode);
    outThread.join();
    errThread.join();
    return result;
}

// Quoted only when needed, by the same rules the Explorer command uses.
std::wstring QuoteArg(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
    return varkle::QuoteArgument(arg);
}

ProcessResult RunZerrow(const std::vector<std::wstring>& args, DWORD timeoutMs) {
    std::wstring cmd = QuoteArg(ZerrowExe());
    for (const std::wstring& a : args) cmd += L" " + QuoteArg(a);
    return RunProcess(cmd, timeoutMs);
}

std::wstring BinDir() {
    std::wstring tests = ExeFolder();
    return tests.substr(0, tests.find_last_of(L'\\'));
}
std::wstring ZerrowExe() { return BinDir() + L"\\Zerrow.exe"; }
std::wstring ToolExe(const std::wstring& name) { return BinDir() + L"\\tools\\" + name + L".exe"; }

std::wstring Utf8ToWide(const std::string& text) { return FromUtf8(text); }

std::string WideToUtf8(const std::wstring& text) { return ToUtf8(text); }

std::string WithoutRecords(const std::string& log) {
    std::string kept;
    for (size_t start = 0; start < log.size();) {
        size_t end = log.find('\n', start);
        end = end == std::string::npos ? log.size() : end + 1;
        if (log.compare(start, 1, "#") != 0) kept += log.substr(start, end - start);
        start = end;
    }
    return kept;
}

void ResetStats() {
    ResetEngineRun();
    PauseEngine(false);
}

namespace {

HANDLE RefuseClosedFolders(const std::wstring& pattern, WIN32_FIND_DATAW* first) {
    if (pattern.find(L"\\closed\\") != std::wstring::npos) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    return FindFirstFileW(pattern.c_str(), first);
}

}  // namespace

ClosedFoldersRefused::ClosedFoldersRefused() : saved_(g_openListing) {
    g_openListing = RefuseClosedFolders;
}

ClosedFoldersRefused::~ClosedFoldersRefused() { g_openListing = saved_; }

namespace {

std::map<std::wstring, DWORD> g_listedTags;

void TagEntry(WIN32_FIND_DATAW& data) {
    auto tag = g_listedTags.find(data.cFileName);
    if (tag == g_listedTags.end()) return;
    data.dwFileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    data.dwReserved0 = tag->second;
}

HANDLE OpenTagged(const std::wstring& pattern, WIN32_FIND_DATAW* first) {
    HANDLE listing = FindFirstFileW(pattern.c_str(), first);
    if (listing != INVALID_HANDLE_VALUE) TagEntry(*first);
    return listing;
}

BOOL WINAPI NextTagged(HANDLE listing, WIN32_FIND_DATAW* next) {
    if (!FindNextFileW(listing, next)) return FALSE;
    TagEntry(*next);
    return TRUE;
}

}  // namespace

ReparseTagsListed::ReparseTagsListed(std::map<std::wstring, DWORD> tags)
    : savedOpen_(g_openListing), savedNext_(g_nextEntry) {
    g_listedTags = std::move(tags);
    g_openListing = OpenTagged;
    g_nextEntry = NextTagged;
}

ReparseTagsListed::~ReparseTagsListed() {
    g_openListing = savedOpen_;
    g_nextEntry = savedNext_;
    g_listedTags.clear();
}

namespace {

// Wine's own export; absent on Windows.
std::string UnixPath(const std::wstring& path) {
    using Convert = char*(CDECL*)(LPCWSTR);
    static auto convert = reinterpret_cast<Convert>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name"));
    if (!convert) return {};
    char* unix = convert(path.c_str());
    if (!unix) return {};
    std::string result = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

template <typename Done>
bool RunUnix(const std::string& command, Done done) {
    std::wstring line = L"/bin/sh -c " + QuoteArg(Utf8ToWide(command));
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return false;
    if (info.hProcess) CloseHandle(info.hProcess);
    if (info.hThread) CloseHandle(info.hThread);
    return WaitUntil(done, 10000);
}

std::string DosDevices() {
    std::string c = UnixPath(L"C:\\");
    size_t cut = c.find("/dosdevices/");
    if (cut != std::string::npos) return c.substr(0, cut) + "/dosdevices";
    cut = c.rfind("/drive_c");
    return cut == std::string::npos ? std::string() : c.substr(0, cut) + "/dosdevices";
}

}  // namespace

namespace {

uint64_t TotalBytes(const std::wstring& path) {
    ULARGE_INTEGER total{};
    return GetDiskFreeSpaceExW(path.c_str(), nullptr, &total, nullptr) ? total.QuadPart : 0;
}

}  // namespace

SmallVolume::SmallVolume(unsigned kib)
    : unix_("/tmp/zrw-small-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(GetTickCount64())),
      path_(L"Z:" + Utf8ToWide(unix_)) {
    for (wchar_t& c : path_)
        if (c == L'/') c = L'\\';
    uint64_t size = static_cast<uint64_t>(kib) << 10;
    mounted_ = RunUnix("mkdir -p " + ShellQuoted(unix_) + " && mount -t tmpfs -o size=" +
                           std::to_string(kib) + "k tmpfs " + ShellQuoted(unix_),
                       [&] { return TotalBytes(path_) == size; });
}

SmallVolume::~SmallVolume() {
    RunUnix("umount " + ShellQuoted(unix_) + "; rmdir " + ShellQuoted(unix_),
            [&] { return !Exists(path_); });
}

bool MakeFolderLink(const std::wstring& link, const std::wstring& target) {
    auto isLink = [&] {
        DWORD a = GetFileAttributesW(link.c_str());
        return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
    };
    // Wine's CreateSymbolicLinkW answers success without making anything.
    if (CreateSymbolicLinkW(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) && isLink())
        return true;
    std::string to = UnixPath(target), at = UnixPath(link);
    return !to.empty() && !at.empty() &&
           RunUnix("ln -s " + ShellQuoted(to) + " " + ShellQuoted(at), isLink);
}

bool MakeCaseTwin(const std::wstring& folder, const std::wstring& name, const std::wstring& twin) {
    std::string unixFolder = UnixPath(folder);
    if (unixFolder.empty() || !Exists(folder + L"\\" + name)) return false;
    return RunUnix("printf twin > " + ShellQuoted(unixFolder + "/" + WideToUtf8(twin)),
                   [&] { return TreeContents(folder).size() >= 2; });
}

void RemoveLink(const std::wstring& link) {
    std::string at = UnixPath(link);
    if (at.empty()) {
        RemoveDirectoryW(link.c_str());
        return;
    }
    RunUnix("rm -f " + ShellQuoted(at), [&] { return !Exists(link); });
}

MappedDrive::MappedDrive(wchar_t letter, const std::wstring& folder) : letter_(letter) {
    std::string devices = DosDevices(), to = UnixPath(folder);
    if (devices.empty() || to.empty()) return;
    std::string drive = devices + "/" + static_cast<char>(towlower(letter)) + ":";
    mapped_ = RunUnix("ln -sfn " + ShellQuoted(to) + " " + ShellQuoted(drive), [&] {
        return GetFileAttributesW(root().c_str()) != INVALID_FILE_ATTRIBUTES;
    });
}

MappedDrive::~MappedDrive() {
    std::string devices = DosDevices();
    if (!mapped_ || devices.empty()) return;
    RunUnix("rm -f " + ShellQuoted(devices + "/" + static_cast<char>(towlower(letter_)) + ":"),
            [&] { return GetFileAttributesW(root().c_str()) == INVALID_FILE_ATTRIBUTES; });
}

}  // namespace zrw::test
