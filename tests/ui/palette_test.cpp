// The palette dump and real pixels of the window in a light and a dark skin.
#include "tests/support/window_fixture.h"

#include <cstring>

namespace zrw::test {
namespace {

constexpr wchar_t kPersonalize[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

void SetDword(const wchar_t* key, const wchar_t* name, DWORD value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, key, name, REG_DWORD, &value, sizeof(value));
}

class PaletteTest : public MainWindowTest {
protected:
    void TearDown() override {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kPersonalize, L"AppsUseLightTheme");
        MainWindowTest::TearDown();
    }
    std::string Dump(int skin) {
        SetDword(kSettingsKey, L"Skin", static_cast<DWORD>(skin));
        std::wstring out = dir_ / L"palette.txt";
        EXPECT_EQ(DumpPalette(out), 0);
        return ReadBytes(out);
    }
};

TEST_F(PaletteTest, FollowSystemReadsTheAppsSetting) {
    SetDword(kPersonalize, L"AppsUseLightTheme", 0);
    EXPECT_EQ(Dump(0), "skin=0 dark=1 bg=202020 panel=2B2B2B fg=F3F3F3 accent=4CC2FF sel=4CC2FF "
                       "seltext=FFFFFF\n");
    SetDword(kPersonalize, L"AppsUseLightTheme", 1);
    EXPECT_EQ(Dump(0), "skin=0 dark=0 bg=F5F6F8 panel=FFFFFF fg=1A1A1A accent=0F6CBD sel=0F6CBD "
                       "seltext=FFFFFF\n");
}

TEST_F(PaletteTest, FixedAndPictureSkins) {
    SetDword(kPersonalize, L"AppsUseLightTheme", 1);
    EXPECT_EQ(Dump(2), "skin=2 dark=1 bg=202020 panel=2B2B2B fg=F3F3F3 accent=4CC2FF sel=4CC2FF "
                       "seltext=FFFFFF\n");
    // Without a picture the picture skin keeps its colours but follows the system's darkness.
    EXPECT_EQ(Dump(8), "skin=8 dark=0 bg=202020 panel=2B2B2B fg=F3F3F3 accent=4CC2FF sel=4CC2FF "
                       "seltext=FFFFFF\n");
    g_settings.imgPath.clear();
    std::wstring img = dir_ / L"pic.png";
    RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, L"ImgPath", REG_SZ, img.c_str(),
                    static_cast<DWORD>((img.size() + 1) * 2));
    EXPECT_EQ(Dump(8).substr(0, 14), "skin=8 dark=1 ");
    EXPECT_EQ(DumpPalette(dir_ / L"no such folder\\p.txt"), 1);
}

// The program itself, as a user or a script runs it: the command-line skin
// and picture win over the stored ones, an index of 9 or more is ignored, and
// without an operand the dump lands in the log folder.
TEST_F(PaletteTest, ThroughTheProgram) {
    SetDword(kPersonalize, L"AppsUseLightTheme", 0);
    SetDword(kSettingsKey, L"Skin", 1);
    std::wstring out = dir_ / L"palette.txt";
    const struct {
        std::vector<std::wstring> args;
        const char* line;
    } cases[] = {
        {{}, "skin=1 dark=0 bg=F5F6F8 panel=FFFFFF fg=1A1A1A accent=0F6CBD sel=0F6CBD"},
        {{L"--skin", L"0"}, "skin=0 dark=1 bg=202020 panel=2B2B2B fg=F3F3F3 accent=4CC2FF sel=4CC2FF"},
        {{L"--skin", L"12"}, "skin=1 dark=0 bg=F5F6F8"},
        {{L"--skin", L"7"}, "skin=7 dark=1 bg=000000 panel=0B0B0B fg=EDEDED accent=00B7C3 sel=00B7C3"},
        {{L"--skin", L"8", L"--img", dir_ / L"pic.png"}, "skin=8 dark=1 bg=202020"},
    };
    for (const auto& c : cases) {
        std::vector<std::wstring> args = {L"--dump-palette", out};
        args.insert(args.end(), c.args.begin(), c.args.end());
        DeleteFileW(out.c_str());
        ProcessResult r = RunZerrow(args);
        ASSERT_TRUE(r.started);
        EXPECT_EQ(r.exitCode, 0u) << c.line;
        EXPECT_EQ(ReadBytes(out).substr(0, std::strlen(c.line)), c.line);
    }
    std::wstring inLogFolder = LogFolder() + L"\\palette.txt";
    DeleteFileW(inLogFolder.c_str());
    ProcessResult r = RunZerrow({L"--dump-palette", L"--skin", L"2"});
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_EQ(ReadBytes(inLogFolder),
              "skin=2 dark=1 bg=202020 panel=2B2B2B fg=F3F3F3 accent=4CC2FF sel=4CC2FF "
              "seltext=FFFFFF\n");
    EXPECT_EQ(RunZerrow({L"--dump-palette", dir_ / L"no such folder\\p.txt"}).exitCode, 1u);
}

TEST_F(PaletteTest, PrimaryButtonAndHeaderPixels) {
    const struct {
        int skin;
        COLORREF primary;
    } cases[] = {{1, RGB(0x0F, 0x6C, 0xBD)}, {2, RGB(0x4C, 0xC2, 0xFF)}};
    WindowStart start;
    start.leftFolder = dir_.path();
    Open(start);
    for (const auto& c : cases) {
        SendMessageW(window_, WM_COMMAND, kIdSkinFirst + c.skin, 0);
        EXPECT_EQ(ReadSetting(L"Skin"), static_cast<DWORD>(c.skin));
        RECT r;
        GetClientRect(g_main.copyRight, &r);
        EXPECT_EQ(PixelAt(g_main.copyRight, 5, r.bottom / 2), c.primary) << "skin " << c.skin;
        HWND header = ListView_GetHeader(g_main.leftList);
        RECT item;
        Header_GetItemRect(header, 0, &item);
        const SkinRow& row = RowFor(c.skin, isDark());
        EXPECT_EQ(PixelAt(header, item.right - 4, 2), mix(row.panel, row.text, 0.08))
            << "skin " << c.skin;
        EXPECT_EQ(PixelAt(header, item.right - 1, 2), row.border) << "skin " << c.skin;
    }
}

}  // namespace
}  // namespace zrw::test
