// Registry readers and the shared set-up of the shell tests.
#ifndef ZERROW_TESTS_SHELL_REGISTRY_H
#define ZERROW_TESTS_SHELL_REGISTRY_H

#include "base/win.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zrw::test {

struct StoredValue {
    DWORD type = 0;
    std::wstring text;  // string data without its terminator
    DWORD bytes = 0;    // stored size
};

bool KeyExists(HKEY root, const std::wstring& key);
std::vector<std::wstring> SubKeys(HKEY root, const std::wstring& key);
std::map<std::wstring, StoredValue> Values(HKEY root, const std::wstring& key);
void SetString(HKEY root, const std::wstring& key, const std::wstring& name,
               const std::wstring& data, DWORD type = REG_SZ);

std::wstring ClassIndexKey();
std::wstring ReadUtf8Lines(const std::wstring& path);  // whole file, converted

// Where Windows keeps them; the prefix's stand-ins live there.
inline constexpr wchar_t kSystemFolder[] = L"C:\\windows\\system32";
inline constexpr wchar_t kSystemPowerShell[] =
    L"C:\\windows\\system32\\WindowsPowerShell\\v1.0\\powershell.exe";
inline constexpr wchar_t kSystemCmd[] = L"C:\\windows\\system32\\cmd.exe";
// The command line PowerShell receives for a script.
std::wstring PowerShellLine(const std::wstring& script);

// One run of a stand-in as it recorded it (tools/stand_in.h).
struct StandInRun {
    std::wstring image;
    std::wstring folder;  // its current directory
    std::wstring commandLine;
};
std::vector<StandInRun> StandInRuns(const std::wstring& log);

// Processes started by the given one that are still running.
std::vector<UniqueHandle> ChildProcesses(DWORD parent);

// Sets an environment variable (null: removes it) and puts back what it was.
class ScopedEnv {
public:
    ScopedEnv(const wchar_t* name, const wchar_t* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::wstring name_, saved_;
    bool wasSet_ = false;
};

// While it lives, cmd.exe started by the programs this test starts is the
// prefix's stand-in instead of Wine's built-in one.
class CmdStandIn {
public:
    CmdStandIn();
    ~CmdStandIn();
    CmdStandIn(const CmdStandIn&) = delete;
    CmdStandIn& operator=(const CmdStandIn&) = delete;

private:
    std::optional<std::wstring> saved_;
};

// Clears every key the shell operations write, before and after each test, and
// points the stand-ins at fresh log files.
class ShellTest {
public:
    ShellTest();
    ~ShellTest();
    std::wstring logPath;     // PowerShell's runs
    std::wstring cmdLogPath;  // cmd's runs
    std::vector<std::wstring> PowerShellRuns() const;  // their command lines
};

}  // namespace zrw::test

#endif
