// The palette dump and real pixels of the window in a light and a dark skin.
#include "app/logdir.h"
#include "app/settings.h"
#include "tests/support/window_fixture.h"
#include "ui/ids.h"
#include "ui/skin.h"
#include "ui/window.h"

#include <commctrl.h>

#include <cstring>

namespace zrw::test {
namespace {

constexpr wchar_t kPersonalize[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

class PaletteTest : public MainWindowTest {
protected:
    std::string Dump(int skin) {
        WriteDword(kSettingsKey, L"Skin", static_cast<DWORD>(skin));
        std::wstring out = dir / L"palette.txt";
        EXPECT_EQ(DumpPalette(out), 0);
        return ReadBytes(out);
    }
};

TEST_F(PaletteTest, FollowSystemReadsTheAppsSetting) {
    WriteDword(kPersonalize, L"AppsUseLightTheme", 0);
    EXPECT_EQ(Dump(0),
              "skin=0 dark=1 bg=202020 panel=2B2B2B fg=F3F3F3 accent=4CC2FF sel=4CC2FF "
              "seltext=FFFFFF\n");
    WriteDword(kPersonalize, L"AppsUseLightTheme", 1);
    EXPECT_EQ(Dump(0),
              "skin=0 dark=0 bg=F5F6F8 panel=FFFFFF fg=1A1A1A accent=0F6CBD sel=0F6CBD "
              "seltext=FFFFFF\n");
}

TEST_F(PaletteTest, FixedAndPictureSkins) {
    WriteDword(kPersonalize, L"AppsUseLightTheme", 1);
    EXPECT_EQ(Dump(2),
              "skin=2 dark=1 bg=202020 panel=2B2B2B fg=F3F3F3 accent=4CC2FF sel=4CC2FF "
              "seltext=FFFFFF\n");
    // Without a picture the picture skin keeps its colours but follows the system's darkness.
    EXPECT_EQ(Dump(8),
              "skin=8 dark=0 bg=202020 panel=2B2B2B fg=F3F3F3 accent=4CC2FF sel=4CC2FF "
              "seltext=FFFFFF\n");
    g_settings.imgPath.clear();
    std::wstring img = dir / L"pic.png";
    RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, L"ImgPath", REG_SZ, img.c_str(),
                    static_cast<DWORD>((img.size() + 1) * 2));
    EXPECT_EQ(Dump(8).substr(0, 14), "skin=8 dark=1 ");
    EXPECT_EQ(DumpPalette(dir / L"no such folder\\p.txt"), 1);
}

// The program reads the real HKCU: the system's dark interface, put back after.
class PaletteProgram : public ProgramTest {
protected:
    RegistryValue dark_{HKEY_CURRENT_USER, kPersonalize, L"AppsUseLightTheme", 0};
};

// The program itself, as a user or a script runs it: the command-line skin
// and picture win over the stored ones, an index of 9 or more is ignored, and
// without an operand the dump lands in the log folder.
TEST_F(PaletteProgram, ThroughTheProgram) {
    WriteDword(kSettingsKey, L"Skin", 1);
    std::wstring out = dir / L"palette.txt";
    const struct {
        std::vector<std::wstring> args;
        const char* line;
    } cases[] = {
        {{}, "skin=1 dark=0 bg=F5F6F8 panel=FFFFFF fg=1A1A1A accent=0F6CBD sel=0F6CBD"},
        {{L"--skin", L"0"},
         "skin=0 dark=1 bg=202020 panel=2B2B2B fg=F3F3F3 accent=4CC2FF sel=4CC2FF"},
        {{L"--skin", L"12"}, "skin=1 dark=0 bg=F5F6F8"},
        {{L"--skin", L"7"},
         "skin=7 dark=1 bg=000000 panel=0B0B0B fg=EDEDED accent=00B7C3 sel=00B7C3"},
        {{L"--skin", L"8", L"--img", dir / L"pic.png"}, "skin=8 dark=1 bg=202020"},
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
    ProcessResult r = RunZerrow({L"--dump-palette", L"--skin", L"2"});
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_EQ(ReadBytes(LogFolder() + L"\\palette.txt"),
              "skin=2 dark=1 bg=202020 panel=2B2B2B fg=F3F3F3 accent=4CC2FF sel=4CC2FF "
              "seltext=FFFFFF\n");
    EXPECT_EQ(RunZerrow({L"--dump-palette", dir / L"no such folder\\p.txt"}).exitCode, 1u);
}

TEST_F(PaletteTest, PrimaryButtonAndHeaderPixels) {
    // The header: 8 % of the text colour into the panel, and the border line.
    const struct {
        int skin;
        COLORREF primary, header, border;
    } cases[] = {{1, RGB(0x0F, 0x6C, 0xBD), RGB(0xED, 0xED, 0xED), RGB(0xE3, 0xE3, 0xE3)},
                 {2, RGB(0x4C, 0xC2, 0xFF), RGB(0x3B, 0x3B, 0x3B), RGB(0x3D, 0x3D, 0x3D)}};
    Open();
    for (const auto& c : cases) {
        SendMessageW(window_, WM_COMMAND, kIdSkinFirst + c.skin, 0);
        EXPECT_EQ(ReadSetting(L"Skin"), c.skin);
        RECT r;
        GetClientRect(g_main.copyRight, &r);
        EXPECT_EQ(PixelAt(g_main.copyRight, 5, r.bottom / 2), c.primary) << "skin " << c.skin;
        HWND header = ListView_GetHeader(g_main.leftList);
        RECT item;
        Header_GetItemRect(header, 0, &item);
        EXPECT_EQ(PixelAt(header, item.right - 4, 2), c.header) << "skin " << c.skin;
        EXPECT_EQ(PixelAt(header, item.right - 1, 2), c.border) << "skin " << c.skin;
    }
}

}  // namespace
}  // namespace zrw::test
