// The classic context-menu verbs under HKCU.
#include "app/lang.h"
#include "app/settings.h"
#include "shell/shell.h"
#include "zerrow_ids.h"

namespace zrw {

namespace {

std::wstring ShellBase(const wchar_t* root) {
    return std::wstring(L"Software\\Classes\\") + root + L"\\shell\\";
}

}  // namespace

std::wstring VerbPrefix(const std::wstring& verbKey) {
    return verbKey.substr(0, verbKey.find(L'.'));
}

std::vector<RegValue> MenuValues(const std::wstring& exe) {
    const std::wstring quoted = L"\"" + exe + L"\"";
    std::vector<RegValue> values;
    for (const wchar_t* root : kMenuRoots) {
        for (const MenuVerb& verb : kMenuVerbs) {
            const std::wstring key = ShellBase(root) + verb.key;
            const std::wstring label = Tr(std::wstring(verb.label), UiLang);
            values.push_back({key, L"", label});
            values.push_back({key, L"MUIVerb", label});
            values.push_back({key, L"Icon", quoted + L",0"});
            values.push_back({key, L"MultiSelectModel", L"Player"});
            values.push_back({key + L"\\command", L"", quoted + L" " + verb.word + L" \"%1\""});
        }
    }
    return values;
}

bool WriteUserString(const RegValue& value) {
    UniqueKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, value.key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_WRITE, nullptr, key.put(), nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const DWORD bytes = static_cast<DWORD>((value.data.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key.get(), value.name.empty() ? nullptr : value.name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(value.data.c_str()),
                          bytes) == ERROR_SUCCESS;
}

PackagedOutcome RegisterMenu(const std::wstring& exe) {
    UnregisterMenu();
    const PackagedOutcome packaged = RegisterPackagedCommand();
    if (packaged == PackagedOutcome::Registered) {
        WriteUserString({kSettingsKey, L"ExePath", exe});
        return packaged;
    }
    for (const RegValue& value : MenuValues(exe)) WriteUserString(value);
    return packaged;
}

void UnregisterMenu() {
    const std::wstring prefix = VerbPrefix(kMenuVerbs[0].key);
    for (const wchar_t* root : kMenuRoots) {
        const std::wstring base = ShellBase(root);
        RegDeleteTreeW(HKEY_CURRENT_USER, (base + prefix).c_str());
        for (const MenuVerb& verb : kMenuVerbs) {
            RegDeleteTreeW(HKEY_CURRENT_USER, (base + verb.key).c_str());
        }
    }
    RegDeleteTreeW(HKEY_CURRENT_USER,
                   (std::wstring(L"Software\\Classes\\CLSID\\") + ZERROW_ROOT_CLSID_TEXT).c_str());
    RemovePackagedCommand();
}

bool IsMenuRegistered() {
    // A key named after the prefix counts, and so does the copy verb that registration writes.
    const std::wstring base = ShellBase(kMenuRoots[0]);
    for (const std::wstring& name :
         {VerbPrefix(kMenuVerbs[0].key), std::wstring(kMenuVerbs[0].key)}) {
        UniqueKey key;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, (base + name).c_str(), 0, KEY_READ, key.put()) ==
            ERROR_SUCCESS) {
            return true;
        }
    }
    return IsPackagedCommandRegistered();
}

}  // namespace zrw
