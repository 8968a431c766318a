// The classic context-menu verbs in the registry.
#include "app/lang.h"
#include "shell/shell.h"
#include "tests/shell/registry.h"
#include "tests/support/support.h"
#include "zerrow_ids.h"

#include <gtest/gtest.h>

namespace zrw::test {
namespace {

const std::wstring kFiles = L"Software\\Classes\\*\\shell";
const std::wstring kFolders = L"Software\\Classes\\Directory\\shell";

using MenuVerbs = ShellTest;

void ExpectVerbSet(const std::wstring& base, const std::wstring& exe) {
    EXPECT_EQ(SubKeys(HKEY_CURRENT_USER, base),
              (std::vector<std::wstring>{L"Zerrow.Copy", L"Zerrow.Move"}));
    const std::pair<const wchar_t*, const wchar_t*> verbs[] = {{L"Zerrow.Copy", L"复制到…"},
                                                               {L"Zerrow.Move", L"剪切到…"}};
    for (const auto& [verb, label] : verbs) {
        SCOPED_TRACE(base + L"\\" + verb);
        const std::wstring key = base + L"\\" + verb;
        const auto values = Values(HKEY_CURRENT_USER, key);
        ASSERT_EQ(values.size(), 4u);
        const std::pair<const wchar_t*, std::wstring> expected[] = {
            {L"", label},
            {L"MUIVerb", label},
            {L"Icon", L"\"" + exe + L"\",0"},
            {L"MultiSelectModel", L"Player"}};
        for (const auto& [name, data] : expected) {
            ASSERT_EQ(values.count(name), 1u) << name;
            const StoredValue& v = values.at(name);
            EXPECT_EQ(v.type, static_cast<DWORD>(REG_SZ));
            EXPECT_EQ(v.text, data);
            EXPECT_EQ(v.bytes, (data.size() + 1) * 2);
        }
        EXPECT_EQ(SubKeys(HKEY_CURRENT_USER, key), std::vector<std::wstring>{L"command"});
        const auto command = Values(HKEY_CURRENT_USER, key + L"\\command");
        ASSERT_EQ(command.size(), 1u);
        const std::wstring word = verb == std::wstring(L"Zerrow.Copy") ? L"copy" : L"move";
        EXPECT_EQ(command.at(L"").text, L"\"" + exe + L"\" " + word + L" \"%1\"");
        EXPECT_EQ(command.at(L"").type, static_cast<DWORD>(REG_SZ));
    }
}

TEST_F(MenuVerbs, RegisterWritesTwentyValuesUnderBothRootsWithAQuotedPath) {
    const std::wstring exe = L"C:\\Program Tools\\Zerrow.exe";
    RegisterMenu(exe);
    ExpectVerbSet(kFiles, exe);
    ExpectVerbSet(kFolders, exe);
    EXPECT_FALSE(
        KeyExists(HKEY_CURRENT_USER, L"Software\\Zerrow"));  // no ExePath without the package
    EXPECT_TRUE(PowerShellRuns().empty());  // no package beside the program: nothing run
    EXPECT_EQ(MenuValues(exe).size(), 20u);
}

TEST_F(MenuVerbs, LabelsStayChineseWithTheEnglishInterface) {
    UiLang = kLangEn;
    RegisterMenu(L"D:\\Zerrow.exe");
    ExpectVerbSet(kFiles, L"D:\\Zerrow.exe");
    ExpectVerbSet(kFolders, L"D:\\Zerrow.exe");
}

TEST_F(MenuVerbs, RegisteringTwiceLeavesOneSetAndDropsStaleKeys) {
    SetString(HKEY_CURRENT_USER, kFiles + L"\\Zerrow", L"", L"old");
    SetString(HKEY_CURRENT_USER, kFolders + L"\\Zerrow.Copy", L"Stale", L"x");
    RegisterMenu(L"C:\\A\\Zerrow.exe");
    RegisterMenu(L"C:\\B\\Zerrow.exe");
    ExpectVerbSet(kFiles, L"C:\\B\\Zerrow.exe");
    ExpectVerbSet(kFolders, L"C:\\B\\Zerrow.exe");
}

TEST_F(MenuVerbs, UnregisterRemovesPrefixVerbsAndClassButKeepsSettings) {
    RegisterMenu(L"C:\\A\\Zerrow.exe");
    SetString(HKEY_CURRENT_USER, kFiles + L"\\Zerrow", L"", L"x");
    SetString(HKEY_CURRENT_USER, kFolders + L"\\Zerrow\\command", L"", L"x");
    const std::wstring clsidKey =
        std::wstring(L"Software\\Classes\\CLSID\\") + ZERROW_ROOT_CLSID_TEXT;
    SetString(HKEY_CURRENT_USER, clsidKey + L"\\InprocServer32", L"", L"x");
    SetString(HKEY_CURRENT_USER, L"Software\\Zerrow", L"ExePath", L"C:\\A\\Zerrow.exe");
    SetString(HKEY_CURRENT_USER, kFiles + L"\\Other", L"", L"foreign");
    UnregisterMenu();
    EXPECT_EQ(SubKeys(HKEY_CURRENT_USER, kFiles), std::vector<std::wstring>{L"Other"});
    EXPECT_TRUE(SubKeys(HKEY_CURRENT_USER, kFolders).empty());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, clsidKey));
    EXPECT_EQ(Values(HKEY_CURRENT_USER, L"Software\\Zerrow").at(L"ExePath").text,
              L"C:\\A\\Zerrow.exe");
    RegDeleteTreeW(HKEY_CURRENT_USER, (kFiles + L"\\Other").c_str());
}

TEST_F(MenuVerbs, IsRegisteredAfterRegisteringAndByPrefixOrPackagedClass) {
    EXPECT_FALSE(IsMenuRegistered());
    RegisterMenu(L"C:\\A\\Zerrow.exe");
    EXPECT_TRUE(IsMenuRegistered());  // a start without arguments must not install again
    UnregisterMenu();
    EXPECT_FALSE(IsMenuRegistered());

    SetString(HKEY_CURRENT_USER, kFolders + L"\\Zerrow.Copy", L"", L"x");
    EXPECT_FALSE(IsMenuRegistered());  // only the file verbs count
    SetString(HKEY_CURRENT_USER, kFiles + L"\\Zerrow", L"", L"x");
    EXPECT_TRUE(IsMenuRegistered());
    UnregisterMenu();

    SetString(HKEY_LOCAL_MACHINE, ClassIndexKey(), L"", L"");
    EXPECT_TRUE(IsMenuRegistered());
}

TEST(VerbPrefixOf, CutsAtTheFirstDot) {
    EXPECT_EQ(VerbPrefix(L"Zerrow.Copy"), L"Zerrow");
    EXPECT_EQ(VerbPrefix(L"a.b.c"), L"a");
    EXPECT_EQ(VerbPrefix(L"Plain"), L"Plain");
}

}  // namespace
}  // namespace zrw::test
