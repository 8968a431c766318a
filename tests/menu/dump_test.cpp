// --dump-menu and --dump-tray through the real executable.
#include "app/logdir.h"
#include "app/settings.h"
#include "tests/menu/menu_helpers.h"
#include "ui/dpi.h"
#include "ui/tray.h"

#include <map>
#include <regex>
#include <sstream>

namespace zrw::test {
namespace {

// One "menu" line as key=value fields, with the label of the "  top" line
// that follows it ("-" when none does).
using Fields = std::map<std::string, std::string>;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::vector<Fields> ParseMenu(const std::string& text) {
    static const std::regex menu(
        "menu id=\\d+ hot=[01] w=\\d+ h=\\d+ bg=(\\d+,){2}\\d+ row=(\\d+,){2}\\d+ "
        "fg=(\\d+,){2}\\d+ chip=(\\d+,){2}\\d+ chipbg=(\\d+,){2}\\d+ chip_px=\\d+ cur=[01]");
    static const std::regex top("  top id=(\\d+) hot=([01]) (.*)");
    std::vector<Fields> parsed;
    for (const std::string& line : Lines(text)) {
        std::smatch m;
        if (std::regex_match(line, menu)) {
            Fields f{{"top", "-"}};
            std::istringstream words(line.substr(5));
            for (std::string word; words >> word;)
                f[word.substr(0, word.find('='))] = word.substr(word.find('=') + 1);
            parsed.push_back(f);
        } else if (std::regex_match(line, m, top) && !parsed.empty() &&
                   parsed.back()["id"] == m[1].str() && parsed.back()["hot"] == m[2].str()) {
            parsed.back()["top"] = m[3];
        } else {
            ADD_FAILURE() << "line out of format: " << line;
        }
    }
    return parsed;
}

std::string TextWidthPlus(const std::wstring& text, int extra) {
    WindowDc screen(nullptr);
    SelectedObject font(screen.get(), InterfaceFont());
    SIZE size{};
    GetTextExtentPoint32W(screen.get(), text.c_str(), static_cast<int>(text.size()), &size);
    return std::to_string(size.cx + extra);
}

// The program reads the skin from the real HKCU.
class Dumps : public ProgramTest {
protected:
    std::string Run(DWORD skin, std::vector<std::wstring> args) {
        EXPECT_TRUE(WriteDword(kSettingsKey, L"Skin", skin));
        args.push_back(dir / L"dump.txt");
        ProcessResult r = RunZerrow(args, 30000);
        EXPECT_EQ(r.exitCode, 0u);
        return ReadBytes(dir / L"dump.txt");
    }
};

TEST_F(Dumps, MenuInFluentDarkLightsHotRowsInTheAccentWithWhiteText) {
    std::vector<Fields> lines = ParseMenu(Run(2, {L"--dump-menu"}));
    // 12 top-level items, 9 skins and 2 languages, each drawn normal and hot.
    ASSERT_EQ(lines.size(), 46u);
    const char* order[] = {"2300", "2200", "2201", "2202", "2203", "2204", "2205", "2206",
                           "2207", "2208", "2302", "2109", "2110", "2302", "2009", "2104",
                           "2302", "2399", "2107", "2108", "2105", "2302", "2106"};
    std::map<std::string, Fields> normal;
    for (size_t i = 0; i < lines.size(); ++i) {
        Fields& l = lines[i];
        const std::string id = l["id"];
        SCOPED_TRACE("line " + std::to_string(i) + " id " + id);
        EXPECT_EQ(id, order[i / 2]);
        EXPECT_EQ(l["hot"], i % 2 ? "1" : "0");
        EXPECT_EQ(l["cur"], id == "2202" || id == "2107" ? "1" : "0");
        bool sub = (id >= "2200" && id <= "2208") || id == "2107" || id == "2108";
        EXPECT_EQ(l["top"] == "-", sub);
        if (id == "2302") {
            EXPECT_EQ(l["w"] + "x" + l["h"] + " " + l["bg"] + " " + l["row"],
                      "80x9 43,43,43 61,61,61");
            continue;
        }
        EXPECT_EQ(l["h"], "26");
        EXPECT_EQ(l["bg"], l["hot"] == "1" ? "76,194,255" : "43,43,43");
        EXPECT_EQ(l["row"], l["bg"]);
        EXPECT_EQ(l["fg"], l["hot"] == "1" ? "255,255,255" : "243,243,243");
        if (l["hot"] == "0") normal[id] = l;
    }
    EXPECT_EQ(normal["2105"]["top"], "关于…");
    // The accent ring around the skin's background: 14 x 14 around 10 x 10.
    EXPECT_EQ(normal["2203"]["chip"], "14,138,109");
    EXPECT_EQ(normal["2203"]["chipbg"], "250,249,246");
    EXPECT_EQ(normal["2203"]["chip_px"], "96");
    EXPECT_EQ(normal["2200"]["chipbg"], "32,32,32");  // follow system in a dark interface
    EXPECT_EQ(normal["2105"]["chip_px"], "0");
    EXPECT_EQ(normal["2300"]["w"], TextWidthPlus(L"皮肤（配色）", 60));
    EXPECT_EQ(normal["2203"]["w"], TextWidthPlus(L"翡翠绿 浅", 64));
    EXPECT_EQ(normal["2105"]["w"], TextWidthPlus(L"关于…", 42));
}

TEST_F(Dumps, MenuFollowsTheLanguageAndThePictureSkin) {
    std::map<std::string, std::string> cur, top;
    for (Fields& l : ParseMenu(Run(8, {L"--lang:en", L"--dump-menu"}))) {
        cur[l["id"]] += l["cur"];
        if (l["top"] != "-") top[l["id"]] = l["top"];
    }
    EXPECT_EQ(cur["2208"] + cur["2202"] + cur["2200"], "110000");
    EXPECT_EQ(cur["2108"] + cur["2107"], "1100");
    EXPECT_EQ(top, (std::map<std::string, std::string>{
                       {"2300", "Skin (colors)"},
                       {"2302", ""},
                       {"2109", "Write a hash list (SHA256SUMS) when copying"},
                       {"2110", "Check a hash list…"},
                       {"2009", "Install context menu"},
                       {"2104", "Remove context menu"},
                       {"2399", "Language"},
                       {"2105", "About…"},
                       {"2106", "Exit"}}));
}

TEST_F(Dumps, MenuGoesToTheLogFolderByDefaultAndFailsOnAnUnwritableFile) {
    EXPECT_EQ(RunZerrow({L"--dump-menu"}, 30000).exitCode, 0u);
    EXPECT_EQ(ParseMenu(ReadBytes(LogFolder() + L"\\menu.txt")).size(), 46u);
    EXPECT_EQ(RunZerrow({L"--dump-menu", dir / L"missing\\menu.txt"}, 30000).exitCode, 1u);
}

TEST_F(Dumps, TrayProbeAddsItsIconAndListsTheMenu) {
    const std::vector<std::string> expected = {
        "tray_add_ok=1",
        "tip=Zerrow Pro  —  右键看菜单",
        "real_n=12",
        "item=0 id=2300 owner_draw=1 sub_n=9",
        "item=1 id=2302 owner_draw=1 sub_n=0",
        "item=2 id=2109 owner_draw=1 sub_n=0",
        "item=3 id=2110 owner_draw=1 sub_n=0",
        "item=4 id=2302 owner_draw=1 sub_n=0",
        "item=5 id=2009 owner_draw=1 sub_n=0",
        "item=6 id=2104 owner_draw=1 sub_n=0",
        "item=7 id=2302 owner_draw=1 sub_n=0",
        "item=8 id=2399 owner_draw=1 sub_n=2",
        "item=9 id=2105 owner_draw=1 sub_n=0",
        "item=10 id=2302 owner_draw=1 sub_n=0",
        "item=11 id=2106 owner_draw=1 sub_n=0",
    };
    EXPECT_EQ(Lines(Run(0, {L"--lang:en", L"--dump-tray"})), expected);
    EXPECT_EQ(TrayTip(std::wstring(130, L'x')), std::wstring(127, L'x'));
}

}  // namespace
}  // namespace zrw::test
