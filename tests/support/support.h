// Shared helpers of the test programs: scratch folders, files and trees, child
// processes with captured streams, the paths of the built binaries, the
// prefix's stand-in robocopy with its test controls, and the isolation of one
// test from the others.
#ifndef ZERROW_TESTS_SUPPORT_H
#define ZERROW_TESTS_SUPPORT_H

#include "base/walk.h"
#include "base/win.h"
#include "engine/copyfile.h"
#include "engine/scan.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace zrw::test {

// Polls the condition until it holds or the time is up; true when it held.
// For what gives no event to wait on: files, windows, other processes.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs) {
    for (ULONGLONG end = GetTickCount64() + timeoutMs;; Sleep(10)) {
        if (condition()) return true;
        if (GetTickCount64() >= end) return false;
    }
}

// Owners of something, never copied.
struct NoCopy {
    NoCopy() = default;
    NoCopy(const NoCopy&) = delete;
    NoCopy& operator=(const NoCopy&) = delete;
};

// A seam of the product set to a stand-in while it lives, then put back.
template <typename T>
class Replaced : NoCopy {
public:
    Replaced(T& seam, T value) : seam_(seam), saved_(seam) { seam = value; }
    ~Replaced() { seam_ = saved_; }

private:
    T& seam_;
    T saved_;
};

// Every rename of a move refused as across volumes while it lives: moves
// take the copy-and-delete path whatever the volumes.
class RenamesRefused : NoCopy {
public:
    RenamesRefused();

private:
    Replaced<Renamer> renamer_;
};

// A fresh folder under %TEMP%, removed with everything in it on destruction.
class TempDir : NoCopy {
public:
    TempDir();
    ~TempDir();
    const std::wstring& path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

// Removes a file or a whole tree; long paths allowed.
void RemoveTree(const std::wstring& path);
bool WriteBytes(const std::wstring& path, const std::string& bytes);
// Creates the parent folders first.
bool WriteBytesDeep(const std::wstring& path, const std::string& bytes);
std::string ReadBytes(const std::wstring& path);
bool Exists(const std::wstring& path);
// The last-write time of a file or folder, read and set through a handle.
FILETIME WriteTime(const std::wstring& path);
bool SetWriteTime(const std::wstring& path, FILETIME time);
// A DWORD value in HKEY_CURRENT_USER: -1 when missing or not 4 bytes of DWORD.
int64_t ReadDword(const wchar_t* key, const wchar_t* name);
bool WriteDword(const wchar_t* key, const wchar_t* name, DWORD value);
bool KeyExists(HKEY root, const std::wstring& key);
// Every file below root as (relative path, content), sorted by path.
std::vector<std::pair<std::wstring, std::string>> TreeContents(const std::wstring& root);
inline size_t CountFiles(const std::wstring& root) { return TreeContents(root).size(); }
// A job log without its machine lines (the job's record, its failures).
std::string WithoutRecords(const std::string& log);
// Entry names of a folder in the order the file system lists them.
std::vector<std::wstring> Listing(const std::wstring& folder);
// Folders below root (relative paths, sorted), for what TreeContents cannot see.
std::vector<std::wstring> FolderList(const std::wstring& root);

struct ProcessResult {
    bool started = false;
    bool timedOut = false;
    DWORD exitCode = 0;
    std::string out;  // raw bytes of standard output
    std::string err;  // raw bytes of standard error
};
// Runs a command line with redirected standard streams; kills it after timeoutMs.
ProcessResult RunProcess(const std::wstring& commandLine, DWORD timeoutMs = 60000,
                         const std::wstring& currentDir = L"");
// Runs build/bin/Zerrow.exe with the given arguments (each quoted when needed).
ProcessResult RunZerrow(const std::vector<std::wstring>& args, DWORD timeoutMs = 60000);
std::wstring QuoteArg(const std::wstring& arg);

std::wstring BinDir();                           // build/bin
std::wstring ZerrowExe();                        // build/bin/Zerrow.exe
std::wstring ToolExe(const std::wstring& name);  // build/bin/tools/<name>.exe

std::wstring Utf8ToWide(const std::string& text);
std::string WideToUtf8(const std::wstring& text);

// Sets an environment variable (null: removes it) for the lifetime of the
// guard and puts back what it was; children inherit it (the stand-ins take
// their test controls from there).
class EnvGuard : NoCopy {
public:
    EnvGuard(const wchar_t* name, const wchar_t* value);
    ~EnvGuard();

private:
    std::wstring name_, saved_;
    bool wasSet_ = false;
};

// A registry value set while it lives; the old value, or its absence, put back,
// and its key removed again when the value made it.
class RegistryValue : NoCopy {
public:
    RegistryValue(HKEY root, const std::wstring& key, const std::wstring& name,
                  const std::wstring& text, DWORD type = REG_SZ);
    RegistryValue(HKEY root, const std::wstring& key, const std::wstring& name, DWORD value);
    ~RegistryValue();
    bool set() const { return set_; }

private:
    void Set(DWORD type, const void* data, DWORD size);
    HKEY root_;
    std::wstring key_, name_;
    std::vector<BYTE> saved_;
    DWORD savedType_ = 0;
    bool keyHad_ = false, had_ = false, set_ = false;
};

// TMP and TEMP, and so the product's log folder, point at folder for this
// process and the children it starts.
class TempFolderAt : NoCopy {
public:
    explicit TempFolderAt(const std::wstring& folder)
        : tmp_(L"TMP", folder.c_str()), temp_(L"TEMP", folder.c_str()) {}

private:
    EnvGuard tmp_, temp_;
};

// Takes the prefix's robocopy away and puts it back on every path. Only under
// the machine lock.
class RobocopyHidden : NoCopy {
public:
    RobocopyHidden();
    ~RobocopyHidden();
    bool hidden() const { return hidden_; }

private:
    std::wstring path_, parked_;
    bool hidden_ = false;
};

// Held by one test at a time across every test program: for what the product
// offers no per-test seam for. The real HKCU\Software\Zerrow and shell keys
// that child processes read, the gathering of all processes of a verb, the
// screen DPI of new processes, the system robocopy and drive letters.
class MachineLock : NoCopy {
public:
    MachineLock();
    ~MachineLock();

private:
    HANDLE mutex_;
};

// One test's own world: its scratch folder, a %TEMP% of its own (so the log
// folder, dumps and verify report are its own), the settings at their
// defaults, and an HKEY_CURRENT_USER no other test program sees. In-process
// that is a fresh key of this process (RegOverridePredefKey); a test whose
// children read the real one holds the machine lock instead, and starts and
// ends with HKCU\Software\Zerrow removed.
class IsolatedTest : public ::testing::Test {
protected:
    enum Hkcu { kPrivate, kSharedWithChildren };
    explicit IsolatedTest(Hkcu hkcu = kPrivate);
    ~IsolatedTest() override;
    bool SharesHkcu() const { return privateKey_.empty(); }

    TempDir dir;

private:
    std::unique_ptr<MachineLock> lock_;
    TempDir tempRoot_;
    TempFolderAt temp_{tempRoot_.path()};
    std::wstring privateKey_;
};

// For tests that start the program: the real HKCU under the machine lock.
class ProgramTest : public IsolatedTest {
protected:
    ProgramTest() : IsolatedTest(kSharedWithChildren) {}
};

// Robocopy children of a process, and one of them waited for (null when none
// appeared in time). Before its first run the program asks robocopy about
// /SPARSE in a short run of its own: once a file has landed, the one child is
// the job's.
std::vector<DWORD> RobocopyChildren(DWORD parentPid);
UniqueHandle WaitForRobocopyChild(DWORD parentPid, DWORD timeoutMs);

// The stand-in robocopy sleeps this long before each file while it lives.
class SlowRobocopy {
public:
    explicit SlowRobocopy(const wchar_t* msPerFile = L"150")
        : delay_(L"ZRW_FAKE_ROBO_DELAY_MS", msPerFile) {}
    // Runs a stand-in of the same pace over files of its own to its end: a
    // robocopy child started before it had the time to copy as many files.
    void Elapse(int files) const;

private:
    EnvGuard delay_;
};

// Bytes that differ from each other and from one seed to another.
std::string Noise(size_t size, uint32_t seed);
// SHA-256 of "a", of "b" and of nothing, as sha256sum gives them (computed
// outside the program, so that its hashing is checked against them).
inline constexpr char kSha256OfA[] =
    "ca978112ca1bbdcafac231b39a23dc4da786eff8147c4e72b9807785afee48bb";
inline constexpr char kSha256OfB[] =
    "3e23e8160039594a33894f6564e1b1348bbd7a0088d42c4acb73eeaed59c009d";
inline constexpr char kSha256OfEmpty[] =
    "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
// Files "f0.bin".."f<count - 1>.bin" in folder, file i of size bytes 'a' + i % 26.
void WriteFiles(const std::wstring& folder, int count, size_t size = 4);
// A chain of folders named step below root, the one of level 1, 2, ... holding
// "数据.bin" of 100 + level bytes 'a' + level % 26, until the deepest folder's
// path is at least minLength long. The files' paths, deepest last.
std::vector<std::wstring> WriteDeepTree(const std::wstring& root, size_t minLength,
                                        const std::wstring& step = L"深层目录-数据-😀");
// The bytes of such a tree of that many levels.
inline uint64_t DeepTreeBytes(uint64_t levels) { return 100 * levels + levels * (levels + 1) / 2; }

SourceItem FolderItem(const std::wstring& path, const std::wstring& name);
SourceItem FileItem(const std::wstring& path, const std::wstring& name);

// A small tree with nested folders, an empty file, an empty folder, a file
// of more than a MiB, and CJK and emoji names: 6 files of 1,572,909 bytes.
void WriteMixedTree(const std::wstring& root);
// Every file below root as (relative path, size and checksum): compared like
// TreeContents, but a mismatch prints short.
std::vector<std::pair<std::wstring, std::string>> TreeDigest(const std::wstring& root);

// Zeroes the native engine's counters and clears its flags.
void ResetStats();
// The settings and switches at their defaults, the interface in Chinese.
void ResetAppState();

// What the Windows API under Wine cannot make, made on the Unix side: Wine
// runs a Unix program started by path, but gives no handle to wait on, so
// each helper polls for its effect. False where it could not be made.
// A folder link (a junction's stand-in, listed as a reparse point) at link.
bool MakeFolderLink(const std::wstring& link, const std::wstring& target);
// A second file in folder whose name differs from an existing one only in case.
bool MakeCaseTwin(const std::wstring& folder, const std::wstring& name, const std::wstring& twin);
// Removes a link itself, never what it points to (Wine's delete calls follow it).
void RemoveLink(const std::wstring& link);
// A drive letter ("Q") for folder while it lives, seen by processes started
// afterwards.
class MappedDrive : NoCopy {
public:
    MappedDrive(wchar_t letter, const std::wstring& folder);
    ~MappedDrive();
    bool mapped() const { return mapped_; }
    std::wstring root() const { return std::wstring(1, letter_) + L":\\"; }

private:
    wchar_t letter_;
    bool mapped_ = false;
};

// A volume of its own with little room (a Linux memory file system of `kib`
// KiB), while it lives; mounting needs root, so mounted() may be false.
class SmallVolume : NoCopy {
public:
    explicit SmallVolume(unsigned kib);
    ~SmallVolume();
    bool mounted() const { return mounted_; }
    const std::wstring& path() const { return path_; }  // its Windows path

private:
    std::string unix_;
    std::wstring path_;
    bool mounted_ = false;
};

// While it lives, every folder named "closed" refuses its listing, as a
// folder without read access does on Windows (Wine, run as root, has none).
class ClosedFoldersRefused : NoCopy {
public:
    ClosedFoldersRefused();
    ~ClosedFoldersRefused();

private:
    ListingOpener saved_;
};

// While it lives, the walker's listings show the entries of these names as
// reparse points with these tags, as Windows lists links, cloud placeholders
// and deduplicated files; Wine's listings carry no tags.
class ReparseTagsListed : NoCopy {
public:
    explicit ReparseTagsListed(std::map<std::wstring, DWORD> tags);
    ~ReparseTagsListed();

private:
    ListingOpener savedOpen_;
    ListingReader savedNext_;
};

}  // namespace zrw::test

#endif
