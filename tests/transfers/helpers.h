// Helpers of the transfer tests: a Zerrow started in the background and its
// windows.
#ifndef ZERROW_TESTS_TRANSFERS_HELPERS_H
#define ZERROW_TESTS_TRANSFERS_HELPERS_H

#include "tests/support/dialogs.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zrw::test {

// A Zerrow.exe started without waiting; killed on destruction if still running.
class Background {
public:
    explicit Background(const std::vector<std::wstring>& args);
    ~Background();
    Background(const Background&) = delete;
    Background& operator=(const Background&) = delete;
    bool started() const { return static_cast<bool>(process_); }
    DWORD pid() const { return pid_; }
    // The exit code, or 999 after killing it when it did not end in time.
    DWORD Wait(DWORD timeoutMs);

private:
    UniqueHandle process_;
    DWORD pid_ = 0;
};

// A visible top-level window of the process with that class ("#32770" for
// dialogs and message boxes) whose caption satisfies match (empty: any).
HWND WaitForWindow(DWORD pid, const wchar_t* className, const std::wstring& caption,
                   DWORD timeoutMs);

// Files below root, not counting folders.
size_t CountFiles(const std::wstring& root);
std::wstring LogFolderPath();  // %TEMP%\zerrow
// Folders below root (relative paths), for what TreeContents cannot see.
std::vector<std::wstring> FolderList(const std::wstring& root);

// The newest job log in the log folder.
std::wstring LatestJobLog();
// The robocopy child of a process, waited for; null when none appeared in time.
UniqueHandle WaitForRobocopyChild(DWORD parentPid, DWORD timeoutMs);

inline constexpr wchar_t kRobo[] = L"--engine:robo";
inline constexpr wchar_t kNative[] = L"--engine:cnm";

// A silent transfer through Zerrow.exe with each engine, in a folder of its own.
class EngineTransfers : public ::testing::TestWithParam<const wchar_t*> {
protected:
    void SetUp() override { DeleteUserKey(L"Software\\Zerrow"); }
    void TearDown() override { DeleteUserKey(L"Software\\Zerrow"); }
    ProcessResult Run(std::vector<std::wstring> args, const std::wstring& currentDir = L"") {
        args.push_back(GetParam());
        args.push_back(L"--silent");
        std::wstring command = QuoteArg(ZerrowExe());
        for (const std::wstring& arg : args) command += L" " + QuoteArg(arg);
        return RunProcess(command, 60000, currentDir);
    }
    TempDir dir;
};

inline std::string EngineName(const ::testing::TestParamInfo<const wchar_t*>& info) {
    return std::wstring(info.param) == kRobo ? "Robocopy" : "Native";
}

}  // namespace zrw::test

#endif
