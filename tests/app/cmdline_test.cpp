// The command line's parse: modes, switches, operands and the window's start.
#include "app/cmdline.h"
#include "app/lang.h"
#include "app/settings.h"
#include "main/start.h"
#include "robo/robo.h"
#include "ui/skin.h"
#include "ui/window.h"

#include <gtest/gtest.h>

namespace zrw {
namespace {

using Args = std::vector<std::wstring>;

StartRecord Parse(const Args& args) { return ParseCommandLine(args); }

TEST(CommandLine, NoArgumentsMeansTheWindow) {
    StartRecord r = Parse({});
    EXPECT_TRUE(r.noArguments);
    EXPECT_EQ(r.mode, StartMode::Window);
    EXPECT_FALSE(Parse({L"--ui"}).noArguments);
}

TEST(CommandLine, VerbsAreCaseSensitiveAndTheLastOneWins) {
    StartRecord r = Parse({L"move", L"copy", L"C:\\a", L"D:\\b", L"--dest", L"E:\\out", L"copy"});
    EXPECT_FALSE(r.move);
    EXPECT_EQ(r.sources, (Args{L"C:\\a", L"D:\\b"}));
    EXPECT_EQ(r.destination, L"E:\\out");
    EXPECT_EQ(r.mode, StartMode::Transfer);

    r = Parse({L"copy", L"move", L"x"});
    EXPECT_TRUE(r.move);

    r = Parse({L"Copy", L"MOVE", L"Verify", L"--Silent", L"--VERSION"});
    EXPECT_EQ(r.sources, (Args{L"Copy", L"MOVE", L"Verify", L"--Silent", L"--VERSION"}));
    EXPECT_FALSE(r.move);
    EXPECT_FALSE(r.verifyMode);
    EXPECT_FALSE(r.silent);
    EXPECT_EQ(r.mode, StartMode::Transfer);  // the destination picker asks for the rest
}

TEST(CommandLine, FlagsAndChoices) {
    StartRecord r =
        Parse({L"verify", L"--verify", L"--silent", L"--ui", L"--new-instance", L"--quiet", L"a"});
    EXPECT_TRUE(r.verifyMode);
    EXPECT_TRUE(r.verifyAfterCopy);
    EXPECT_TRUE(r.silent);
    EXPECT_TRUE(r.windowWanted);
    EXPECT_TRUE(r.newInstance);
    EXPECT_TRUE(r.quiet);
    EXPECT_EQ(r.mode, StartMode::Verify);
    EXPECT_EQ(r.sources, Args{L"a"});
    r = Parse({L"check", L"--hash", L"D:\\SHA256SUMS"});
    EXPECT_EQ(r.mode, StartMode::Check);
    EXPECT_TRUE(r.hash);
    EXPECT_EQ(r.sources, Args{L"D:\\SHA256SUMS"});

    struct Case {
        const wchar_t* arg;
        std::optional<Engine> engine;
        int32_t lang;
    };
    const std::optional<Engine> none, native = Engine::Native, robo = Engine::Robocopy;
    const Case cases[] = {
        {L"--engine:cnm", native, -1}, {L"--engine=cnm", native, -1},
        {L"--engine:robo", robo, -1},  {L"--engine=robocopy", robo, -1},
        {L"--engine=robo", none, -1},  {L"--lang:en", none, 1},
        {L"--lang=en", none, 1},       {L"english", none, 1},
        {L"--lang:zh", none, 0},       {L"--lang=zh", none, 0},
        {L"chinese", none, 0},         {L"English", none, -1},
    };
    for (const Case& c : cases) {
        StartRecord one = Parse({c.arg});
        EXPECT_EQ(one.engine, c.engine) << c.arg;
        EXPECT_EQ(one.lang, c.lang) << c.arg;
        EXPECT_EQ(one.sources.empty(), c.engine || c.lang >= 0) << c.arg;
    }
    EXPECT_EQ(Parse({L"--engine:robo", L"--engine:cnm"}).engine, Engine::Native);
    EXPECT_EQ(Parse({L"--lang:en", L"chinese"}).lang, 0);
}

TEST(CommandLine, DestinationTakesAnyValueAndALastDestClearsIt) {
    EXPECT_EQ(Parse({L"--dest", L"--silent"}).destination, L"--silent");
    EXPECT_FALSE(Parse({L"--dest", L"--silent"}).silent);
    StartRecord r = Parse({L"a", L"--dest", L"D:\\x", L"--dest"});
    EXPECT_EQ(r.destination, L"");
    EXPECT_EQ(r.sources, Args{L"a"});
    EXPECT_EQ(Parse({L"--dest", L"D:\\x", L"--dest"}).mode, StartMode::Window);
    EXPECT_EQ(Parse({L"--dest", L"D:\\x", L"--dest", L"E:\\y"}).destination, L"E:\\y");
    // A destination alone is enough for a transfer: the source picker asks.
    EXPECT_EQ(Parse({L"--dest", L"D:\\x"}).mode, StartMode::Transfer);
}

TEST(CommandLine, ListTakesAnyValueAndCountsAsASource) {
    StartRecord r = Parse({L"copy", L"--list", L"C:\\t\\lst1.tmp", L"a", L"--list", L"--silent"});
    EXPECT_EQ(r.listFiles, (Args{L"C:\\t\\lst1.tmp", L"--silent"}));
    EXPECT_EQ(r.sources, Args{L"a"});
    EXPECT_FALSE(r.silent);
    EXPECT_EQ(Parse({L"move", L"--list", L"x.lst"}).mode, StartMode::Transfer);
    r = Parse({L"b", L"--list"});
    EXPECT_TRUE(r.listFiles.empty());
    EXPECT_EQ(r.sources, Args{L"b"});
    EXPECT_EQ(Parse({L"--list"}).mode, StartMode::Window);
}

TEST(CommandLine, SkinValueIsDecimalAndNonNumbersGiveZero) {
    EXPECT_EQ(Parse({}).skin, -1);
    EXPECT_EQ(Parse({L"--skin", L"12"}).skin, 12);
    EXPECT_EQ(Parse({L"--skin", L"abc"}).skin, 0);
    EXPECT_EQ(Parse({L"--skin", L"-3"}).skin, -3);
    EXPECT_EQ(Parse({L"--skin", L"4px"}).skin, 4);
    EXPECT_EQ(Parse({L"--skin", L"99999999999999999999"}).skin, INT32_MAX);
    EXPECT_EQ(Parse({L"--skin", L"-99999999999999999999"}).skin, INT32_MIN);
    StartRecord trailing = Parse({L"--skin", L"3", L"--skin"});
    EXPECT_EQ(trailing.skin, 3);
    EXPECT_TRUE(trailing.sources.empty());
    EXPECT_EQ(Parse({L"--skin", L"--ui"}).windowWanted, false);
}

TEST(CommandLine, ImagePathIsCutTo1023Characters) {
    std::wstring longPath = L"C:\\" + std::wstring(2000, L'图');
    StartRecord r = Parse({L"--img", longPath});
    EXPECT_EQ(r.img.size(), 1023u);
    EXPECT_EQ(r.img, longPath.substr(0, 1023));
    EXPECT_EQ(Parse({L"--img", L"-p.png"}).img, L"-p.png");
    StartRecord trailing = Parse({L"--img", L"a.png", L"--img"});
    EXPECT_EQ(trailing.img, L"a.png");
    EXPECT_TRUE(trailing.sources.empty());
}

TEST(CommandLine, ThemeSwallowsItsOperandButATrailingThemeIsASource) {
    StartRecord r = Parse({L"--theme", L"--version", L"a"});
    EXPECT_EQ(r.sources, Args{L"a"});
    EXPECT_NE(r.mode, StartMode::Version);
    EXPECT_EQ(Parse({L"a", L"--theme"}).sources, (Args{L"a", L"--theme"}));
}

TEST(CommandLine, DumpOperandsStopAtADashAndAtTheirLimit) {
    StartRecord r = Parse({L"--dump-pick", L"C:\\src", L"-x", L"--dest", L"D:\\"});
    EXPECT_TRUE(r.pick.wanted);
    EXPECT_EQ(r.pick.operands, Args{L"C:\\src"});
    EXPECT_EQ(r.sources, Args{L"-x"});
    EXPECT_EQ(r.destination, L"D:\\");
    EXPECT_EQ(r.mode, StartMode::DumpPick);

    r = Parse({L"--dump-pick", L"a", L"b", L"c", L"d"});
    EXPECT_EQ(r.pick.operands, (Args{L"a", L"b", L"c"}));
    EXPECT_EQ(r.sources, Args{L"d"});

    r = Parse({L"--dump-mt", L"a", L"b", L"c"});
    EXPECT_EQ(r.mt.operands, (Args{L"a", L"b"}));
    EXPECT_EQ(r.sources, Args{L"c"});
    EXPECT_EQ(r.mode, StartMode::DumpMt);

    for (const wchar_t* option : {L"--dump-palette", L"--dump-menu", L"--dump-tray"}) {
        r = Parse({option, L"out.txt", L"more"});
        EXPECT_EQ(r.sources, Args{L"more"}) << option;
    }
    EXPECT_EQ(Parse({L"--dump-palette", L"p.txt"}).palette.operands, Args{L"p.txt"});
    EXPECT_EQ(Parse({L"--dump-menu", L"m.txt"}).menu.operands, Args{L"m.txt"});
    EXPECT_EQ(Parse({L"--dump-tray", L"t.txt"}).tray.operands, Args{L"t.txt"});

    r = Parse({L"--dump-tray"});
    EXPECT_TRUE(r.tray.wanted);
    EXPECT_TRUE(r.tray.operands.empty());
    EXPECT_EQ(r.mode, StartMode::DumpTray);
    // An empty argument does not begin with a dash, so it is an operand.
    EXPECT_EQ(Parse({L"--dump-menu", L""}).menu.operands, Args{L""});
}

TEST(CommandLine, DumpsComeFirstInTheirOrderThenTheDryRun) {
    struct Case {
        Args args;
        StartMode mode;
    };
    const Case cases[] = {
        {{L"--dryrun", L"--dump-tray", L"--dump-menu", L"--dump-pick", L"--dump-mt",
          L"--dump-palette"},
         StartMode::DumpPalette},
        {{L"--dryrun", L"--dump-tray", L"--dump-menu", L"--dump-pick", L"--dump-mt"},
         StartMode::DumpMt},
        {{L"--dryrun", L"--dump-tray", L"--dump-menu", L"--dump-pick"}, StartMode::DumpPick},
        {{L"--dryrun", L"--dump-tray", L"--dump-menu"}, StartMode::DumpMenu},
        {{L"--dryrun", L"--dump-tray"}, StartMode::DumpTray},
        {{L"verify", L"--ui", L"--dryrun", L"a"}, StartMode::DryRun},
        {{L"--ui", L"a", L"--dest", L"b"}, StartMode::Window},
        {{L"verify", L"--ui"}, StartMode::Verify},
    };
    for (const Case& c : cases) EXPECT_EQ(Parse(c.args).mode, c.mode) << c.args.size();
}

TEST(CommandLine, ActionsEndTheParseButEarlierSwitchesStand) {
    struct Case {
        const wchar_t* arg;
        StartMode mode;
    };
    const Case cases[] = {
        {L"--launcher", StartMode::Launcher},
        {L"--register-menu", StartMode::RegisterMenu},
        {L"--unregister-menu", StartMode::UnregisterMenu},
        {L"--install", StartMode::Install},
        {L"--setup", StartMode::Install},
        {L"--uninstall", StartMode::Uninstall},
        {L"--selftest", StartMode::SelfTest},
        {L"--version", StartMode::Version},
    };
    for (const Case& c : cases) {
        StartRecord r =
            Parse({L"--lang:en", L"a", c.arg, L"--engine:robo", L"b", L"--dump-palette"});
        EXPECT_EQ(r.mode, c.mode) << c.arg;
        EXPECT_EQ(r.lang, 1) << c.arg;
        EXPECT_FALSE(r.engine) << c.arg;
        EXPECT_EQ(r.sources, Args{L"a"}) << c.arg;
        EXPECT_FALSE(r.palette.wanted) << c.arg;
    }
    // The pre-pass sees --quiet wherever it stands.
    EXPECT_TRUE(Parse({L"--install", L"--quiet"}).quiet);
    EXPECT_TRUE(Parse({L"--uninstall", L"x", L"--quiet"}).quiet);
    EXPECT_FALSE(Parse({L"--install", L"--quiet-ish"}).quiet);
}

TEST(CommandLine, HugeArgumentListKeepsOrderAndForm) {
    Args args;
    for (int i = 0; i < 20000; ++i) args.push_back(L"p" + std::to_wstring(i) + L"\\");
    args.push_back(L"--dest");
    args.push_back(L"Z:\\out\\");
    StartRecord r = Parse(args);
    ASSERT_EQ(r.sources.size(), 20000u);
    EXPECT_EQ(r.sources.front(), L"p0\\");
    EXPECT_EQ(r.sources.back(), L"p19999\\");
    EXPECT_EQ(r.destination, L"Z:\\out\\");
}

TEST(CommandLine, SplitSkipsTheProgramPathAndFollowsTheQuotingRules) {
    EXPECT_EQ(SplitCommandLine(L"\"C:\\Program Files\\Z.exe\" copy \"C:\\a b\\\" x"),
              (Args{L"copy", L"C:\\a b\" x"}));
    EXPECT_EQ(SplitCommandLine(L"Z.exe \"C:\\a b\\\\\" \"\" y"), (Args{L"C:\\a b\\", L"", L"y"}));
    EXPECT_TRUE(SplitCommandLine(L"Z.exe").empty());
}

TEST(WindowStartState, TrimsAndTakesParentFolders) {
    StartRecord r = Parse({L"C:\\data\\photos\\\\", L"D:\\other", L"--dest", L"E:\\backup\\/"});
    WindowStart start = MakeWindowStart(r, true);
    EXPECT_EQ(start.sources, r.sources);
    EXPECT_EQ(start.destination, L"E:\\backup");
    EXPECT_EQ(start.leftFolder, L"C:\\data");
    EXPECT_EQ(start.rightFolder, L"E:\\backup");
    EXPECT_EQ(MakeWindowStart(r, false).rightFolder, L"E:\\");

    WindowStart empty = MakeWindowStart(Parse({L"--ui"}), false);
    EXPECT_EQ(empty.leftFolder, L"");
    EXPECT_EQ(empty.rightFolder, L"");
    EXPECT_EQ(empty.destination, L"");

    EXPECT_EQ(MakeWindowStart(Parse({L"C:\\"}), false).leftFolder, L"C:\\");
    EXPECT_EQ(MakeWindowStart(Parse({L"file.txt"}), false).leftFolder, L".");
    EXPECT_EQ(MakeWindowStart(Parse({L"a/b/c"}), false).leftFolder, L"a/b");
    // A share's root has no folder above it that could be listed.
    EXPECT_EQ(MakeWindowStart(Parse({L"\\\\srv\\share\\"}), false).leftFolder, L"\\\\srv\\share");
}

TEST(WindowStartState, ParentFollowsTheDriveRule) {
    EXPECT_EQ(ParentFolder(L"C:\\a"), L"C:\\");
    EXPECT_EQ(ParentFolder(L"C:/a"), L"C:/");
    EXPECT_EQ(ParentFolder(L"ab\\c"), L"ab");  // index 2 without a colon
    EXPECT_EQ(ParentFolder(L"C:\\a\\b"), L"C:\\a");
    EXPECT_EQ(ParentFolder(L"\\a"), L"");
    EXPECT_EQ(ParentFolder(L"name"), L".");
}

TEST(WindowMode, ExitCodeFollowsTheLastTransfer) {
    EXPECT_EQ(WindowModeExitCode(0, false), 0);
    EXPECT_EQ(WindowModeExitCode(0, true), 3);
    EXPECT_EQ(WindowModeExitCode(2, true), 1);
    EXPECT_EQ(WindowModeExitCode(1, false), 1);
}

TEST(Switches, PublishedIntoTheProcessState) {
    Settings saved = g_settings;
    PublishSwitches(Parse({L"--engine:robo", L"--verify", L"--lang:en", L"--skin", L"12", L"--img",
                           L"p.png", L"--new-instance", L"--no-queue"}));
    EXPECT_EQ(g_settings.engine, Engine::Robocopy);
    EXPECT_TRUE(g_engineFromCommandLine);
    EXPECT_TRUE(g_settings.verify);
    EXPECT_TRUE(g_verifyFromCommandLine);
    EXPECT_EQ(UiLang, kLangEn);
    EXPECT_TRUE(g_langFromCommandLine);
    EXPECT_EQ(g_cmdSkin, 12);
    EXPECT_EQ(g_cmdImgPath, L"p.png");
    EXPECT_TRUE(g_noQueue);

    // Switches not given leave the stored choices free to load.
    g_engineFromCommandLine = g_verifyFromCommandLine = g_langFromCommandLine = false;
    UiLang = kLangZh;
    g_settings = saved;
    PublishSwitches(Parse({}));
    EXPECT_FALSE(g_engineFromCommandLine);
    EXPECT_FALSE(g_verifyFromCommandLine);
    EXPECT_FALSE(g_langFromCommandLine);
    EXPECT_EQ(g_cmdSkin, -1);
    EXPECT_EQ(g_cmdImgPath, L"");
    EXPECT_FALSE(g_noQueue);
    EXPECT_EQ(g_settings.engine, saved.engine);
}

}  // namespace
}  // namespace zrw
