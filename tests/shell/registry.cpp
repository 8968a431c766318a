// Registry reads for the shell tests.
#include "tests/shell/registry.h"

#include "shell/shell.h"
#include "tests/support/support.h"
#include "zerrow_ids.h"

#include <tlhelp32.h>

#include <algorithm>

namespace zrw::test {

namespace {

// In HKCU, and the packaged class in HKLM.
void ClearShellKeys(bool user) {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, ClassIndexKey().c_str());
    if (!user) return;
    for (const wchar_t* root : {L"*", L"Directory"}) {
        for (const wchar_t* verb : {L"Zerrow", L"Zerrow.Copy", L"Zerrow.Move"}) {
            RegDeleteTreeW(
                HKEY_CURRENT_USER,
                (std::wstring(L"Software\\Classes\\") + root + L"\\shell\\" + verb).c_str());
        }
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, kUninstallKey);
    RegDeleteTreeW(HKEY_CURRENT_USER,
                   (std::wstring(L"Software\\Classes\\CLSID\\") + ZERROW_ROOT_CLSID_TEXT).c_str());
}

}  // namespace

std::vector<std::wstring> SubKeys(HKEY root, const std::wstring& key) {
    std::vector<std::wstring> names;
    UniqueKey opened;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, opened.put()) != ERROR_SUCCESS) return names;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD chars = 256;
        if (RegEnumKeyExW(opened.get(), i, name, &chars, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        names.emplace_back(name, chars);
    }
    return names;
}

std::map<std::wstring, StoredValue> Values(HKEY root, const std::wstring& key) {
    std::map<std::wstring, StoredValue> values;
    UniqueKey opened;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, opened.put()) != ERROR_SUCCESS) return values;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD chars = 256;
        wchar_t data[4096] = {};
        DWORD bytes = sizeof(data) - sizeof(wchar_t);
        DWORD type = 0;
        if (RegEnumValueW(opened.get(), i, name, &chars, nullptr, &type,
                          reinterpret_cast<BYTE*>(data), &bytes) != ERROR_SUCCESS) {
            break;
        }
        values[std::wstring(name, chars)] = {type, data, bytes};
    }
    return values;
}

void SetString(HKEY root, const std::wstring& key, const std::wstring& name,
               const std::wstring& data, DWORD type) {
    UniqueKey opened;
    RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, opened.put(), nullptr);
    RegSetValueExW(opened.get(), name.empty() ? nullptr : name.c_str(), 0, type,
                   reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

std::wstring ClassIndexKey() {
    return std::wstring(L"SOFTWARE\\Classes\\PackagedCom\\ClassIndex\\") + ZERROW_ROOT_CLSID_TEXT;
}

std::wstring PowerShellLine(const std::wstring& script) {
    return L"\"" + std::wstring(kSystemPowerShell) +
           L"\" -NoProfile -NonInteractive -ExecutionPolicy Bypass -Command \"" + script + L"\"";
}

std::vector<StandInRun> StandInRuns(const std::wstring& log) {
    std::vector<StandInRun> runs;
    const std::wstring text = Utf8ToWide(ReadBytes(log));
    for (size_t start = 0; start < text.size();) {
        const size_t end = std::min(text.find(L'\n', start), text.size());
        const std::wstring line = text.substr(start, end - start);
        const size_t tab1 = line.find(L'\t');
        const size_t tab2 = line.find(L'\t', tab1 + 1);
        runs.push_back({line.substr(0, tab1), line.substr(tab1 + 1, tab2 - tab1 - 1),
                        tab2 == std::wstring::npos ? std::wstring() : line.substr(tab2 + 1)});
        start = end + 1;
    }
    return runs;
}

std::vector<UniqueHandle> ChildProcesses(DWORD parent) {
    std::vector<UniqueHandle> children;
    UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry)) {
        if (entry.th32ParentProcessID != parent) continue;
        UniqueHandle child(
            OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                        entry.th32ProcessID));
        if (child && WaitForSingleObject(child.get(), 0) == WAIT_TIMEOUT)
            children.push_back(std::move(child));
    }
    return children;
}

ShellTest::ShellTest(Hkcu hkcu) : IsolatedTest(hkcu) {
    ClearShellKeys(hkcu == kSharedWithChildren);
}

ShellTest::~ShellTest() { ClearShellKeys(SharesHkcu()); }

std::vector<std::wstring> ShellTest::PowerShellRuns() const {
    std::vector<std::wstring> lines;
    for (const StandInRun& run : StandInRuns(logPath)) lines.push_back(run.commandLine);
    return lines;
}

}  // namespace zrw::test
