// Shared helpers of the test programs: scratch folders, files, child
// processes with captured streams, the paths of the built binaries, and the
// prefix's stand-in robocopy with its test controls.
#ifndef ZERROW_TESTS_SUPPORT_H
#define ZERROW_TESTS_SUPPORT_H

#include "base/win.h"
#include "base/walk.h"

#include <cstdint>
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

// A fresh folder under %TEMP%, removed with everything in it on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
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
// Every file below root as (relative path, content), sorted by path.
std::vector<std::pair<std::wstring, std::string>> TreeContents(const std::wstring& root);

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

std::wstring BinDir();          // build/bin
std::wstring ZerrowExe();       // build/bin/Zerrow.exe
std::wstring ToolExe(const std::wstring& name);  // build/bin/tools/<name>.exe

std::wstring Utf8ToWide(const std::string& text);
std::string WideToUtf8(const std::wstring& text);

// Sets an environment variable for the lifetime of the guard; children inherit
// it (the stand-in robocopy takes its test controls from there).
class EnvGuard {
public:
    EnvGuard(const wchar_t* name, const std::wstring& value);
    ~EnvGuard();
    EnvGuard(const EnvGuard&) = delete;
    EnvGuard& operator=(const EnvGuard&) = delete;

private:
    std::wstring name_;
};

// Takes the prefix's robocopy away, putting the given program in its place
// if one is named, and puts it back on every path.
class RobocopyHidden {
public:
    explicit RobocopyHidden(const std::wstring& replacement = L"");
    ~RobocopyHidden();
    RobocopyHidden(const RobocopyHidden&) = delete;
    RobocopyHidden& operator=(const RobocopyHidden&) = delete;
    bool hidden() const { return hidden_; }

private:
    std::wstring path_, parked_;
    bool hidden_ = false;
};

// Processes whose image name is robocopy.exe.
size_t CountRobocopyProcesses();

// A small tree with nested folders, an empty file, an empty folder, a file
// of more than a MiB, and CJK and emoji names.
void WriteMixedTree(const std::wstring& root);
// Every file below root as (relative path, size and checksum): compared like
// TreeContents, but a mismatch prints short.
std::vector<std::pair<std::wstring, std::string>> TreeDigest(const std::wstring& root);

// Zeroes the native engine's counters and clears its flags.
void ResetStats();

// Deletes HKCU\Software\Zerrow (and whatever else a test names) before and after.
void DeleteUserKey(const std::wstring& subkey);

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
class MappedDrive {
public:
    MappedDrive(wchar_t letter, const std::wstring& folder);
    ~MappedDrive();
    MappedDrive(const MappedDrive&) = delete;
    MappedDrive& operator=(const MappedDrive&) = delete;
    bool mapped() const { return mapped_; }
    std::wstring root() const { return std::wstring(1, letter_) + L":\\"; }

private:
    wchar_t letter_;
    bool mapped_ = false;
};

// While it lives, every folder named "closed" refuses its listing, as a
// folder without read access does on Windows (Wine, run as root, has none).
class ClosedFoldersRefused {
public:
    ClosedFoldersRefused();
    ~ClosedFoldersRefused();
    ClosedFoldersRefused(const ClosedFoldersRefused&) = delete;
    ClosedFoldersRefused& operator=(const ClosedFoldersRefused&) = delete;

private:
    ListingOpener saved_;
};

}  // namespace zrw::test

#endif
