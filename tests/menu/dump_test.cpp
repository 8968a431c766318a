// --dump-menu and --dump-tray through the real executable.
#include "tests/menu/menu_helpers.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <sstream>

namespace zrw::test {
namespace {

struct MenuLine {
    int id = 0, hot = 0, w = 0, h = 0;
    std::string bg, row, fg, chip, chipbg;
    long chipPx = 0;
    int cur = 0;
    bool top = false;  // an "  top" line follows
    std::string label;  // its label
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::vector<MenuLine> ParseMenu(const std::string& text) {
    static const std::regex menu(
        "menu id=(\\d+) hot=([01]) w=(\\d+) h=(\\d+) bg=(\\d+,\\d+,\\d+) row=(\\d+,\\d+,\\d+) "
        "fg=(\\d+,\\d+,\\d+) chip=(\\d+,\\d+,\\d+) chipbg=(\\d+,\\d+,\\d+) chip_px=(\\d+) "
        "cur=([01])");
    static const std::regex top("  top id=(\\d+) hot=([01]) (.*)");
    std::vector<MenuLine> parsed;
    for (const std::string& line : Lines(text)) {
        std::smatch m;
        if (std::regex_match(line, m, menu)) {
            MenuLine l;
            l.id = std::stoi(m[1]);
            l.hot = std::stoi(m[2]);
            l.w = std::stoi(m[3]);
            l.h = std::stoi(m[4]);
            l.bg = m[5];
            l.row = m[6];
            l.fg = m[7];
            l.chip = m[8];
            l.chipbg = m[9];
            l.chipPx = std::stol(m[10]);
            l.cur = std::stoi(m[11]);
            parsed.push_back(l);
        } else if (std::regex_match(line, m, top) && !parsed.empty() &&
                   parsed.back().id == std::stoi(m[1]) && parsed.back().hot == std::stoi(m[2])) {
            parsed.back().top = true;
            parsed.back().label = m[3];
        } else {
            ADD_FAILURE() << "line out of format: " << line;
        }
    }
    return parsed;
}

int TextWidth(const std::wstring& text) {
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, InterfaceFont());
    SIZE size{};
    GetTextExtentPoint32W(screen, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    return size.cx;
}

const MenuLine& At(std::map<std::pair<int, int>, MenuLine>& items, int id, int hot) {
    return items[{id, hot}];
}

class Dumps : public ::testing::Test {
protected:
    void SetUp() override { DeleteUserKey(kSettingsKey); }
    void TearDown() override { DeleteUserKey(kSettingsKey); }
    std::string Run(const wchar_t* dump, std::vector<std::wstring> extra = {}) {
        std::wstring out = dir_ / L"dump.txt";
        extra.push_back(dump);
        extra.push_back(out);
        ProcessResult r = RunZerrow(extra, 30000);
        EXPECT_TRUE(r.started);
        EXPECT_FALSE(r.timedOut);
        EXPECT_EQ(r.exitCode, 0u);
        return ReadBytes(out);
    }
    TempDir dir_;
};

TEST_F(Dumps, MenuInFluentDarkLightsHotRowsInTheAccentWithWhiteText) {
    DWORD skin = 2;
    RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, L"Skin", REG_DWORD, &skin, sizeof(skin));
    std::vector<MenuLine> lines = ParseMenu(Run(L"--dump-menu"));
    // 9 top-level items, 9 skins and 2 languages, each drawn normal and hot.
    ASSERT_EQ(lines.size(), 40u);
    const int order[] = {2300, 2200, 2201, 2202, 2203, 2204, 2205, 2206, 2207, 2208,
                         2302, 2009, 2104, 2302, 2399, 2107, 2108, 2105, 2302, 2106};
    std::map<std::pair<int, int>, MenuLine> byItem;
    for (size_t i = 0; i < lines.size(); ++i) {
        const MenuLine& l = lines[i];
        SCOPED_TRACE(testing::Message() << "line " << i << " id " << l.id << " hot " << l.hot);
        EXPECT_EQ(l.id, order[i / 2]);
        EXPECT_EQ(l.hot, static_cast<int>(i % 2));
        EXPECT_EQ(l.cur, l.id == 2202 || l.id == 2107 ? 1 : 0);
        bool isTop = l.id == 2300 || l.id == 2302 || l.id == 2009 || l.id == 2104 ||
                     l.id == 2399 || l.id == 2105 || l.id == 2106;
        EXPECT_EQ(l.top, isTop);
        if (l.id == 2302) {
            EXPECT_EQ(l.w, 80);
            EXPECT_EQ(l.h, 9);
            EXPECT_EQ(l.bg, "43,43,43");
            EXPECT_EQ(l.row, "61,61,61");
            continue;
        }
        EXPECT_EQ(l.h, 26);
        EXPECT_EQ(l.bg, l.hot ? "76,194,255" : "43,43,43");
        EXPECT_EQ(l.row, l.bg);
        EXPECT_EQ(l.fg, l.hot ? "255,255,255" : "243,243,243");
        byItem[{l.id, l.hot}] = l;
    }
    EXPECT_EQ(At(byItem, 2105, 0).label, "关于…");
    EXPECT_EQ(At(byItem, 2300, 1).label, "皮肤（配色）");
    // Chips: the accent ring around the skin's background, 14 x 14 around 10 x 10.
    const MenuLine& emerald = At(byItem, 2203, 0);
    EXPECT_EQ(emerald.chip, "14,138,109");
    EXPECT_EQ(emerald.chipbg, "250,249,246");
    EXPECT_EQ(emerald.chipPx, 96);
    EXPECT_EQ(At(byItem, 2200, 0).chipbg, "32,32,32");  // follow system in a dark interface
    EXPECT_EQ(At(byItem, 2105, 0).chipPx, 0);
    // Label width in the interface font plus the room for arrow, chip or check.
    EXPECT_EQ(At(byItem, 2300, 0).w, TextWidth(L"皮肤（配色）") + 18);
    EXPECT_EQ(At(byItem, 2203, 0).w, TextWidth(L"翡翠绿 浅") + 64);
    EXPECT_EQ(At(byItem, 2105, 0).w, TextWidth(L"关于…") + 42);
}

TEST_F(Dumps, MenuFollowsTheLanguageAndThePictureSkin) {
    DWORD skin = 8;
    RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, L"Skin", REG_DWORD, &skin, sizeof(skin));
    std::vector<MenuLine> lines = ParseMenu(Run(L"--dump-menu", {L"--lang:en"}));
    std::map<int, std::string> labels;
    for (const MenuLine& l : lines) {
        if (l.id >= 2200 && l.id <= 2208) {
            EXPECT_EQ(l.cur, l.id == 2208 ? 1 : 0) << l.id;
        }
        if (l.id == 2107 || l.id == 2108) {
            EXPECT_EQ(l.cur, l.id == 2108 ? 1 : 0) << l.id;
        }
        if (l.top) labels[l.id] = l.label;
    }
    EXPECT_EQ(labels[2300], "Skin (colors)");
    EXPECT_EQ(labels[2009], "Install context menu");
    EXPECT_EQ(labels[2104], "Remove context menu");
    EXPECT_EQ(labels[2399], "Language");
    EXPECT_EQ(labels[2105], "About…");
    EXPECT_EQ(labels[2106], "Exit");
}

TEST_F(Dumps, MenuGoesToTheLogFolderByDefaultAndFailsOnAnUnwritableFile) {
    std::wstring file = LogFolder() + L"\\menu.txt";
    DeleteFileW(file.c_str());
    ProcessResult r = RunZerrow({L"--dump-menu"}, 30000);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_EQ(ParseMenu(ReadBytes(file)).size(), 40u);
    r = RunZerrow({L"--dump-menu", dir_ / L"missing\\menu.txt"}, 30000);
    EXPECT_EQ(r.exitCode, 1u);
}

TEST_F(Dumps, TrayProbeAddsItsIconAndListsTheMenu) {
    std::vector<std::string> lines = Lines(Run(L"--dump-tray", {L"--lang:en"}));
    const std::vector<std::string> expected = {
        "tray_add_ok=1",
        "tip=Zerrow Pro  —  右键看菜单",
        "real_n=9",
        "item=0 id=2300 owner_draw=1 sub_n=9",
        "item=1 id=2302 owner_draw=1 sub_n=0",
        "item=2 id=2009 owner_draw=1 sub_n=0",
        "item=3 id=2104 owner_draw=1 sub_n=0",
        "item=4 id=2302 owner_draw=1 sub_n=0",
        "item=5 id=2399 owner_draw=1 sub_n=2",
        "item=6 id=2105 owner_draw=1 sub_n=0",
        "item=7 id=2302 owner_draw=1 sub_n=0",
        "item=8 id=2106 owner_draw=1 sub_n=0",
    };
    EXPECT_EQ(lines, expected);
}

TEST(TrayTip, ProductNameAndTheChineseHintCutTo127) {
    EXPECT_EQ(TrayTip(L"泽若"), L"泽若  —  右键看菜单");
    std::wstring tip = TrayTip(std::wstring(130, L'x'));
    EXPECT_EQ(tip.size(), 127u);
    EXPECT_EQ(tip, std::wstring(127, L'x'));
}

}  // namespace
}  // namespace zrw::test
