// Registry readers and the shared set-up of the shell tests.
#ifndef ZERROW_TESTS_SHELL_REGISTRY_H
#define ZERROW_TESTS_SHELL_REGISTRY_H

#include "base/win.h"
#include "tests/support/support.h"

#include <map>
#include <string>
#include <vector>

namespace zrw::test {

struct StoredValue {
    DWORD type = 0;
    std::wstring text;  // string data without its terminator
    DWORD bytes = 0;    // stored size
};

std::vector<std::wstring> SubKeys(HKEY root, const std::wstring& key);
std::map<std::wstring, StoredValue> Values(HKEY root, const std::wstring& key);
void SetString(HKEY root, const std::wstring& key, const std::wstring& name,
               const std::wstring& data, DWORD type = REG_SZ);

std::wstring ClassIndexKey();

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

// Processes started by the given one that are still running (handles that
// can wait and end them).
std::vector<UniqueHandle> ChildProcesses(DWORD parent);

// While it lives, cmd.exe started by the programs this test starts is the
// prefix's stand-in instead of Wine's built-in one: Wine takes a program's
// overrides from this key when it starts (WINEDLLOVERRIDES only from Unix).
class CmdStandIn : public RegistryValue {
public:
    CmdStandIn()
        : RegistryValue(HKEY_CURRENT_USER, L"Software\\Wine\\DllOverrides", L"cmd.exe", L"native") {
    }
};

// The stand-ins' records in the test's folder, their other controls unset, and
// the packaged class's machine-wide key (only these tests touch it) removed
// before and after; for a test whose children read the real HKCU, every key
// the shell operations write there too.
class ShellTest : public IsolatedTest {
protected:
    explicit ShellTest(Hkcu hkcu = kPrivate);
    ~ShellTest() override;
    std::vector<std::wstring> PowerShellRuns() const;  // their command lines

    const std::wstring logPath = dir / L"ps.log";      // PowerShell's runs
    const std::wstring cmdLogPath = dir / L"cmd.log";  // cmd's runs

private:
    EnvGuard psLog_{L"ZRW_FAKE_PS_LOG", logPath.c_str()},
        cmdLog_{L"ZRW_FAKE_CMD_LOG", cmdLogPath.c_str()}, add_{L"ZRW_FAKE_PS_ADD", nullptr},
        exit_{L"ZRW_FAKE_PS_EXIT", nullptr};
};

}  // namespace zrw::test

#endif
