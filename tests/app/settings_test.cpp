// The settings in the registry and the command line's switches over them.
#include "app/settings.h"
#include "app/cmdline.h"
#include "app/lang.h"
#include "tests/support/support.h"
#include "ui/skin.h"

#include <gtest/gtest.h>

namespace zrw {
namespace {

// Each case starts from the defaults with no HKCU\Software\Zerrow.
class SettingsStore : public test::IsolatedTest {
protected:
    static void PutRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, name, type, data, size),
                  ERROR_SUCCESS);
    }
    static void PutDword(const wchar_t* name, DWORD value) {
        ASSERT_TRUE(test::WriteDword(kSettingsKey, name, value));
    }
    static int64_t StoredDword(const wchar_t* name) { return test::ReadDword(kSettingsKey, name); }
};

TEST_F(SettingsStore, MissingKeyKeepsTheDefaults) {
    LoadSettings();
    EXPECT_EQ(g_settings.engine, Engine::Native);
    EXPECT_EQ(g_settings.skin, 0);
    EXPECT_EQ(g_settings.imgPath, L"");
    EXPECT_FALSE(g_settings.detail);
    EXPECT_FALSE(g_settings.verify);
    EXPECT_EQ(UiLang, kLangZh);
}

TEST_F(SettingsStore, ValidValuesLoad) {
    PutDword(L"Engine", 0);
    PutDword(L"Skin", 8);
    PutDword(L"Detail", 7);
    PutDword(L"Verify", 2);
    PutDword(L"Lang", 1);
    LoadSettings();
    EXPECT_EQ(g_settings.engine, Engine::Robocopy);
    EXPECT_EQ(g_settings.skin, 8);
    EXPECT_TRUE(g_settings.detail);
    EXPECT_TRUE(g_settings.verify);
    EXPECT_EQ(UiLang, kLangEn);
}

TEST_F(SettingsStore, OutOfRangeValuesAreIgnored) {
    PutDword(L"Engine", 5);
    PutDword(L"Skin", 9);
    PutDword(L"Lang", 2);
    LoadSettings();
    EXPECT_EQ(g_settings.engine, Engine::Native);
    EXPECT_EQ(g_settings.skin, 0);
    EXPECT_EQ(UiLang, kLangZh);

    PutDword(L"Skin", 0xFFFFFFFF);  // a negative skin would index past the palettes
    LoadSettings();
    EXPECT_EQ(g_settings.skin, 0);
}

TEST_F(SettingsStore, WrongSizedValuesAreSkippedButTheTypeIsNotChecked) {
    const uint64_t eight = 1;
    PutRaw(L"Engine", REG_QWORD, &eight, sizeof(eight));
    PutRaw(L"Lang", REG_BINARY, "\x01\x00\x00\x00\x00", 5);
    PutRaw(L"Verify", REG_BINARY, "\x01\x00\x00\x00", 4);
    g_settings.engine = Engine::Robocopy;
    LoadSettings();
    EXPECT_EQ(g_settings.engine, Engine::Robocopy);  // kept: the 8-byte value does not fit
    EXPECT_EQ(UiLang, kLangZh);
    EXPECT_TRUE(g_settings.verify);  // four bytes of binary count as a DWORD
}

TEST_F(SettingsStore, ThemeMigratesAndIsDeletedOnSave) {
    PutDword(L"Theme", 2);
    PutDword(L"Skin", 0);
    LoadSettings();
    EXPECT_EQ(g_settings.skin, 2);
    SaveSettings();
    EXPECT_EQ(StoredDword(L"Skin"), 2);
    EXPECT_EQ(StoredDword(L"Theme"), -1);

    // A chosen skin wins over the old form; other Theme values migrate nothing.
    PutDword(L"Theme", 1);
    PutDword(L"Skin", 5);
    test::ResetAppState();
    LoadSettings();
    EXPECT_EQ(g_settings.skin, 5);
    PutDword(L"Theme", 3);
    PutDword(L"Skin", 0);
    test::ResetAppState();
    LoadSettings();
    EXPECT_EQ(g_settings.skin, 0);
}

TEST_F(SettingsStore, ImagePathDropsTrailingNullsAndIgnoresTwoBytes) {
    const wchar_t padded[] = L"C:\\pics\\天空.png\0\0\0";
    PutRaw(L"ImgPath", REG_SZ, padded, sizeof(padded));
    LoadSettings();
    EXPECT_EQ(g_settings.imgPath, L"C:\\pics\\天空.png");

    g_settings.imgPath = L"kept";
    PutRaw(L"ImgPath", REG_SZ, L"", 2);  // an empty string: the terminator alone
    LoadSettings();
    EXPECT_EQ(g_settings.imgPath, L"kept");

    PutRaw(L"ImgPath", REG_SZ, L"AB", 4);  // no terminator stored at all
    LoadSettings();
    EXPECT_EQ(g_settings.imgPath, L"AB");
}

TEST_F(SettingsStore, SaveWritesTheWholeRecord) {
    g_settings.engine = Engine::Robocopy;
    g_settings.skin = 7;
    g_settings.imgPath = L"D:\\图.jpg";
    g_settings.detail = true;
    g_settings.verify = false;
    UiLang = kLangEn;
    SaveSettings();
    EXPECT_EQ(StoredDword(L"Engine"), 0);
    EXPECT_EQ(StoredDword(L"Skin"), 7);
    EXPECT_EQ(StoredDword(L"Detail"), 1);
    EXPECT_EQ(StoredDword(L"Verify"), 0);
    EXPECT_EQ(StoredDword(L"Lang"), 1);
    wchar_t img[64] = {};
    DWORD size = sizeof(img), type = 0;
    ASSERT_EQ(
        RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, L"ImgPath", RRF_RT_ANY, &type, img, &size),
        ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, (wcslen(L"D:\\图.jpg") + 1) * 2);
    EXPECT_STREQ(img, L"D:\\图.jpg");

    g_settings.imgPath.clear();
    SaveSettings();
    size = sizeof(img);
    ASSERT_EQ(
        RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, L"ImgPath", RRF_RT_ANY, &type, img, &size),
        ERROR_SUCCESS);
    EXPECT_EQ(size, 2u);
}

TEST_F(SettingsStore, CommandLineChoicesOutliveTheLoadAndReachTheSave) {
    PutDword(L"Engine", 1);
    PutDword(L"Verify", 0);
    PutDword(L"Lang", 1);
    PublishSwitches(ParseCommandLine({L"--engine:robo", L"--verify", L"--lang:zh"}));
    LoadSettings();
    EXPECT_EQ(g_settings.engine, Engine::Robocopy);
    EXPECT_TRUE(g_settings.verify);
    EXPECT_EQ(UiLang, kLangZh);
    SaveSettings();  // e.g. after a skin change in the window
    EXPECT_EQ(StoredDword(L"Engine"), 0);
    EXPECT_EQ(StoredDword(L"Verify"), 1);
    EXPECT_EQ(StoredDword(L"Lang"), 0);
}

TEST_F(SettingsStore, CommandLineSkinAndImageApplyOnlyWhenValid) {
    PutDword(L"Skin", 3);
    PutRaw(L"ImgPath", REG_SZ, L"C:\\a.png", 18);
    g_cmdSkin = 12;
    LoadAndApplySettings();
    EXPECT_EQ(g_settings.skin, 3);
    EXPECT_EQ(g_settings.imgPath, L"C:\\a.png");
    g_cmdSkin = 0;
    g_cmdImgPath = L"D:\\b.png";
    LoadAndApplySettings();
    EXPECT_EQ(g_settings.skin, 0);
    EXPECT_EQ(g_settings.imgPath, L"D:\\b.png");
    g_cmdSkin = -1;
    LoadAndApplySettings();
    EXPECT_EQ(g_settings.skin, 3);
}

TEST_F(SettingsStore, LanguageAloneLoadsForTheStart) {
    PutDword(L"Lang", 1);
    PutDword(L"Engine", 0);
    LoadLanguageSetting();
    EXPECT_EQ(UiLang, kLangEn);
    EXPECT_EQ(g_settings.engine, Engine::Native);
    PutDword(L"Lang", 7);
    UiLang = kLangZh;
    LoadLanguageSetting();
    EXPECT_EQ(UiLang, kLangZh);
}

}  // namespace
}  // namespace zrw
