// Helpers of the transfer tests: a Zerrow started in the background, its
// windows, and its job logs.
#ifndef ZERROW_TESTS_TRANSFERS_HELPERS_H
#define ZERROW_TESTS_TRANSFERS_HELPERS_H

#include "tests/support/dialogs.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zrw::test {

// A Zerrow.exe started without waiting; killed on destruction if still running.
class Background : NoCopy {
public:
    explicit Background(const std::vector<std::wstring>& args);
    ~Background();
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

// The job logs of the (test's own) log folder, and the newest of them.
std::vector<std::wstring> JobLogs();
std::wstring LatestJobLog();

inline constexpr wchar_t kRobo[] = L"--engine:robo";
inline constexpr wchar_t kNative[] = L"--engine:cnm";

// A silent transfer through Zerrow.exe with each engine, in a folder of its own.
class EngineTransfers : public ProgramTest, public ::testing::WithParamInterface<const wchar_t*> {
protected:
    ProcessResult Run(std::vector<std::wstring> args, const std::wstring& currentDir = L"") {
        args.push_back(GetParam());
        args.push_back(L"--silent");
        std::wstring command = QuoteArg(ZerrowExe());
        for (const std::wstring& arg : args) command += L" " + QuoteArg(arg);
        return RunProcess(command, 60000, currentDir);
    }
};

inline std::string EngineName(const ::testing::TestParamInfo<const wchar_t*>& info) {
    return std::wstring(info.param) == kRobo ? "Robocopy" : "Native";
}

}  // namespace zrw::test

#endif
