// Loading and saving the settings under HKCU\Software\Zerrow.
#include "app/settings.h"
#include "app/lang.h"
#include "base/win.h"

namespace zrw {

Settings g_settings;
bool g_engineFromCommandLine = false;
bool g_conflictFromCommandLine = false;
bool g_verifyFromCommandLine = false;
bool g_hashFromCommandLine = false;
int32_t g_cmdSkin = -1;
std::wstring g_cmdImgPath;
bool g_noQueue = false;

namespace {

struct PolicyWord {
    ConflictPolicy policy;
    const wchar_t* text;
};
const PolicyWord kPolicyWords[] = {{ConflictPolicy::Replace, L"replace"},
                                   {ConflictPolicy::Older, L"older"},
                                   {ConflictPolicy::Skip, L"skip"},
                                   {ConflictPolicy::KeepBoth, L"keep-both"}};

// Exactly four bytes, type unchecked: a longer value fails and is skipped.
bool ReadDword(HKEY key, const wchar_t* name, DWORD& value) {
    DWORD data = 0;
    DWORD size = sizeof(data);
    if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&data), &size) !=
        ERROR_SUCCESS)
        return false;
    value = data;
    return true;
}

void WriteDword(HKEY key, const wchar_t* name, DWORD value) {
    RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
}

bool ReadImagePath(HKEY key, std::wstring& path) {
    DWORD size = 0;
    if (RegQueryValueExW(key, L"ImgPath", nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS ||
        size < 4)
        return false;
    std::wstring text(size / 2, L'\0');
    DWORD got = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key, L"ImgPath", nullptr, nullptr, reinterpret_cast<BYTE*>(text.data()),
                         &got) != ERROR_SUCCESS)
        return false;
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    path = text;
    return true;
}

}  // namespace

std::optional<ConflictPolicy> ParseConflictPolicy(const std::wstring& word) {
    for (const PolicyWord& w : kPolicyWords)
        if (word == w.text) return w.policy;
    return std::nullopt;
}

const wchar_t* ConflictPolicyWord(ConflictPolicy policy) {
    for (const PolicyWord& w : kPolicyWords)
        if (w.policy == policy) return w.text;
    return L"ask";
}

void LoadSettings() {
    UniqueKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return;
    DWORD v = 0;
    if (ReadDword(key.get(), L"Engine", v) && v <= 1 && !g_engineFromCommandLine)
        g_settings.engine = static_cast<Engine>(v);
    DWORD theme = 0;
    if (ReadDword(key.get(), L"Theme", v)) theme = (v == 1 || v == 2) ? v : 0;
    if (ReadDword(key.get(), L"Skin", v) && v < 9) g_settings.skin = static_cast<int32_t>(v);
    if (theme != 0 && g_settings.skin == 0) g_settings.skin = static_cast<int32_t>(theme);
    ReadImagePath(key.get(), g_settings.imgPath);
    if (ReadDword(key.get(), L"Detail", v)) g_settings.detail = v != 0;
    if (ReadDword(key.get(), L"Verify", v) && !g_verifyFromCommandLine) g_settings.verify = v != 0;
    if (ReadDword(key.get(), L"Hash", v) && !g_hashFromCommandLine) g_settings.hash = v != 0;
    if (ReadDword(key.get(), L"Conflict", v) && v <= 4 && !g_conflictFromCommandLine)
        g_settings.conflict = static_cast<ConflictPolicy>(v);
    if (ReadDword(key.get(), L"Lang", v) && v <= 1 && !g_langFromCommandLine) UiLang = v;
}

void LoadLanguageSetting() {
    UniqueKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return;
    DWORD v = 0;
    if (ReadDword(key.get(), L"Lang", v) && v <= 1) UiLang = v;
}

namespace {

bool OpenForWriting(UniqueKey& key) {
    return RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                           key.put(), nullptr) == ERROR_SUCCESS;
}

}  // namespace

void SaveSettings() {
    UniqueKey key;
    if (!OpenForWriting(key)) return;
    WriteDword(key.get(), L"Engine", static_cast<DWORD>(g_settings.engine));
    WriteDword(key.get(), L"Skin", static_cast<DWORD>(g_settings.skin));
    RegDeleteValueW(key.get(), L"Theme");
    const std::wstring& img = g_settings.imgPath;
    RegSetValueExW(key.get(), L"ImgPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(img.c_str()),
                   static_cast<DWORD>(img.size() * 2 + 2));
    WriteDword(key.get(), L"Detail", g_settings.detail ? 1 : 0);
    WriteDword(key.get(), L"Verify", g_settings.verify ? 1 : 0);
    WriteDword(key.get(), L"Hash", g_settings.hash ? 1 : 0);
    // Asking is no stored choice.
    if (g_settings.conflict == ConflictPolicy::Ask) RegDeleteValueW(key.get(), L"Conflict");
    else WriteDword(key.get(), L"Conflict", static_cast<DWORD>(g_settings.conflict));
    WriteDword(key.get(), L"Lang", UiLang);
}

void SaveConflictChoice(ConflictPolicy policy) {
    g_settings.conflict = policy;
    UniqueKey key;
    if (OpenForWriting(key)) WriteDword(key.get(), L"Conflict", static_cast<DWORD>(policy));
}

}  // namespace zrw
