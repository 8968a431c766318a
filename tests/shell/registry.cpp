#include "tests/shell/registry.h"

#include "shell/shell.h"
#include "tests/support/support.h"
#include "zerrow_ids.h"

namespace zrw::test {

namespace {

void ClearShellKeys() {
    for (const wchar_t* root : {L"*", L"Directory"}) {
        for (const wchar_t* verb : {L"Zerrow", L"Zerrow.Copy", L"Zerrow.Move"}) {
            RegDeleteTreeW(HKEY_CURRENT_USER,
                           (std::wstring(L"Software\\Classes\\") + root + L"\\shell\\" + verb).c_str());
        }
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Zerrow");
    RegDeleteTreeW(HKEY_CURRENT_USER, kUninstallKey);
    RegDeleteTreeW(HKEY_CURRENT_USER,
                   (std::wstring(L"Software\\Classes\\CLSID\\") + ZERROW_ROOT_CLSID_TEXT).c_str());
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, ClassIndexKey().c_str());
}

}  // namespace

bool KeyExists(HKEY root, const std::wstring& key) {
    UniqueKey opened;
    return RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, opened.put()) == ERROR_SUCCESS;
}

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

std::wstring ReadUtf8Lines(const std::wstring& path) { return Utf8ToWide(ReadBytes(path)); }

ShellTest::ShellTest() {
    ClearShellKeys();
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    logPath = std::wstring(temp) + L"zrw-fake-ps-" + std::to_wstring(GetCurrentProcessId()) + L".log";
    DeleteFileW(logPath.c_str());
    SetEnvironmentVariableW(L"ZRW_FAKE_PS_LOG", logPath.c_str());
    SetEnvironmentVariableW(L"ZRW_FAKE_PS_ADD", nullptr);
}

ShellTest::~ShellTest() {
    ClearShellKeys();
    DeleteFileW(logPath.c_str());
    SetEnvironmentVariableW(L"ZRW_FAKE_PS_LOG", nullptr);
    SetEnvironmentVariableW(L"ZRW_FAKE_PS_ADD", nullptr);
}

std::vector<std::wstring> ShellTest::PowerShellRuns() const {
    std::vector<std::wstring> lines;
    const std::wstring text = ReadUtf8Lines(logPath);
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find(L'\n', start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::wstring::npos) break;
        start = end + 1;
    }
    return lines;
}

}  // namespace zrw::test
