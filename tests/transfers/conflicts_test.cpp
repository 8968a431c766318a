// Files that already exist at the destination: classified before the first
// byte, and replaced, kept or written beside as the policy says, with both
// engines, from the command line, the dry run and the dialog.
#include "app/logdir.h"
#include "tests/transfers/helpers.h"

#include <gtest/gtest.h>

namespace zrw::test {
namespace {

constexpr FILETIME kSourceTime{0x10000000, 0x01DA0000};
// An hour either side: more than any file system's rounding.
FILETIME Shifted(int64_t hours) {
    uint64_t t = Join64(kSourceTime.dwHighDateTime, kSourceTime.dwLowDateTime) +
                 static_cast<uint64_t>(hours * 36'000'000'000LL);
    return {static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
}

// A source of one file per class, and a destination that holds four of them.
void WriteConflicts(const std::wstring& root) {
    struct File {
        const wchar_t* name;
        const char* source;
        const char* existing;  // null: not at the destination
        FILETIME existingTime;
    };
    const File files[] = {
        {L"new.txt", "new", nullptr, {}},
        {L"same.txt", "source", "looked", kSourceTime},
        {L"newer.txt", "source", "newer!", Shifted(1)},
        {L"older.txt", "source", "older!", Shifted(-1)},
        {L"changed.txt", "source", "other size", kSourceTime},
    };
    for (const File& f : files) {
        ASSERT_TRUE(WriteBytesDeep(root + L"\\src\\" + f.name, f.source));
        ASSERT_TRUE(SetWriteTime(root + L"\\src\\" + f.name, kSourceTime));
        if (!f.existing) continue;
        ASSERT_TRUE(WriteBytesDeep(root + L"\\out\\src\\" + f.name, f.existing));
        ASSERT_TRUE(SetWriteTime(root + L"\\out\\src\\" + f.name, f.existingTime));
    }
}

using Conflicts = EngineTransfers;
INSTANTIATE_TEST_SUITE_P(BothEngines, Conflicts, ::testing::Values(kRobo, kNative), EngineName);

// What each policy leaves at the destination; a silent job without one
// replaces, as it always did.
TEST_P(Conflicts, EachPolicyReplacesKeepsOrWritesBeside) {
    using Tree = std::vector<std::pair<std::wstring, std::string>>;
    const Tree replaced = {{L"changed.txt", "source"},
                           {L"new.txt", "new"},
                           {L"newer.txt", "source"},
                           {L"older.txt", "source"},
                           {L"same.txt", "looked"}};
    const struct {
        std::vector<std::wstring> switches;
        Tree tree;
    } cases[] = {
        {{}, replaced},
        {{L"--conflict=replace"}, replaced},
        {{L"--conflict=older"},
         {{L"changed.txt", "source"},
          {L"new.txt", "new"},
          {L"newer.txt", "newer!"},
          {L"older.txt", "source"},
          {L"same.txt", "looked"}}},
        {{L"--conflict=skip"},
         {{L"changed.txt", "other size"},
          {L"new.txt", "new"},
          {L"newer.txt", "newer!"},
          {L"older.txt", "older!"},
          {L"same.txt", "looked"}}},
        {{L"--conflict=keep-both"},
         {{L"changed (2).txt", "source"},
          {L"changed.txt", "other size"},
          {L"new.txt", "new"},
          {L"newer (2).txt", "source"},
          {L"newer.txt", "newer!"},
          {L"older (2).txt", "source"},
          {L"older.txt", "older!"},
          {L"same.txt", "looked"}}},
    };
    for (const auto& c : cases) {
        TempDir run;
        WriteConflicts(run.path());
        std::vector<std::wstring> args{L"copy", run / L"src", L"--dest", run / L"out"};
        args.insert(args.end(), c.switches.begin(), c.switches.end());
        ProcessResult r = Run(args);
        std::string what = c.switches.empty() ? "default" : WideToUtf8(c.switches[0]);
        EXPECT_EQ(r.exitCode, 0u) << what << r.err;
        EXPECT_EQ(TreeContents(run / L"out\\src"), c.tree) << what;
        // The job log names what it replaced, with the old version's size.
        bool replaced = ReadBytes(run / L"out\\src\\older.txt") == "source";
        bool named = ReadBytes(LatestJobLog())
                         .find("替换 " + WideToUtf8(run / L"out\\src\\older.txt") +
                               " (旧的 6 字节, ") != std::string::npos;
        EXPECT_EQ(named, replaced) << what;
    }
}

// A move that skips the existing files leaves their sources; the others move.
TEST_P(Conflicts, AMoveThatSkipsLeavesThoseSources) {
    WriteConflicts(dir.path());
    ProcessResult r = Run({L"move", dir / L"src", L"--dest", dir / L"out", L"--conflict=skip"});
    EXPECT_LE(r.exitCode, 1u) << r.err;
    EXPECT_EQ(TreeContents(dir / L"src"),
              (std::vector<std::pair<std::wstring, std::string>>{
                  {L"changed.txt", "source"}, {L"newer.txt", "source"}, {L"older.txt", "source"}}));
    EXPECT_EQ(ReadBytes(dir / L"out\\src\\new.txt"), "new");
    EXPECT_EQ(ReadBytes(dir / L"out\\src\\same.txt"), "source");  // a look-alike is never trusted
}

using ConflictDialog = ProgramTest;

// The dry run shows the classes and robocopy's switches for the policy.
TEST_F(ConflictDialog, TheDryRunShowsTheClassesAndTheSwitches) {
    WriteConflicts(dir.path());
    ASSERT_EQ(RunZerrow({L"--dryrun", dir / L"src", L"--dest", dir / L"out", L"--conflict=skip"})
                  .exitCode,
              0u);
    std::string text = ReadBytes(LogFolder() + L"\\dryrun.txt");
    EXPECT_NE(text.find("冲突 目标较新=1 目标较旧=1 时间相同大小不同=1 相同=1 处理=skip"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("/XC /XN /XO /LOG+:"), std::string::npos) << text;
}

// Without a policy, one dialog before the first byte asks; a remembered
// choice is asked no more, and the job's one-off switches are not stored with it.
TEST_F(ConflictDialog, AsksOnceAndRemembers) {
    WriteConflicts(dir.path());
    Background zerrow({L"copy", dir / L"src", L"--dest", dir / L"out", L"--lang:en", L"--hash"});
    HWND dialog = WaitForWindow(zerrow.pid(), L"#32770", L"Zerrow Pro", 30000);
    ASSERT_NE(dialog, nullptr);
    std::vector<std::wstring> texts = ChildTexts(dialog, L"Static");
    std::wstring all;
    for (const std::wstring& t : texts) all += t + L"\n";
    EXPECT_NE(all.find(L"Already at the destination: 3 files"), std::wstring::npos)
        << WideToUtf8(all);
    EXPECT_NE(all.find(L"Newer at the destination: 1  (newer.txt)"), std::wstring::npos)
        << WideToUtf8(all);
    EXPECT_EQ(ReadBytes(dir / L"out\\src\\older.txt"), "older!");  // nothing before the answer
    HWND remember = nullptr;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (WindowText(child) == L"Remember this choice") remember = child;
    ASSERT_NE(remember, nullptr);
    SendMessageW(remember, BM_CLICK, 0, 0);
    PressButton(dialog, 101);  // Replace only older
    EXPECT_EQ(zerrow.Wait(30000), 0u);
    EXPECT_EQ(ReadBytes(dir / L"out\\src\\older.txt"), "source");
    EXPECT_EQ(ReadBytes(dir / L"out\\src\\newer.txt"), "newer!");
    EXPECT_EQ(ReadDword(L"Software\\Zerrow", L"Conflict"), 2);
    EXPECT_EQ(ReadDword(L"Software\\Zerrow", L"Hash"), -1);

    ASSERT_TRUE(SetWriteTime(dir / L"out\\src\\older.txt", Shifted(-1)));
    ASSERT_TRUE(WriteBytes(dir / L"out\\src\\older.txt", "older!"));
    ASSERT_TRUE(SetWriteTime(dir / L"out\\src\\older.txt", Shifted(-1)));
    Background again({L"copy", dir / L"src", L"--dest", dir / L"out", L"--lang:en"});
    EXPECT_EQ(again.Wait(30000), 0u);
    EXPECT_EQ(ReadBytes(dir / L"out\\src\\older.txt"), "source");
}

}  // namespace
}  // namespace zrw::test
