// Registry readers and the shared set-up of the shell tests.
#ifndef ZERROW_TESTS_SHELL_REGISTRY_H
#define ZERROW_TESTS_SHELL_REGISTRY_H

#include "app/win.h"

#include <map>
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

// Clears every key the shell operations write, before and after each test, and
// points the powershell stand-in at a fresh log file.
class ShellTest {
public:
    ShellTest();
    ~ShellTest();
    std::wstring logPath;
    std::vector<std::wstring> PowerShellRuns() const;
};

}  // namespace zrw::test

#endif
