// What a transfer must never do, whatever the input: touch a source it would
// land on, let one source replace another, delete a source whose bytes are
// not at the destination, or call an unfinished job a success.
#include "app/logdir.h"
#include "tests/transfers/helpers.h"

#include <gtest/gtest.h>

namespace zrw::test {
namespace {

using Safety = EngineTransfers;
INSTANTIATE_TEST_SUITE_P(BothEngines, Safety, ::testing::Values(kRobo, kNative), EngineName);

std::wstring Slashed(std::wstring path) {
    for (wchar_t& c : path)
        if (c == L'\\') c = L'/';
    return path;
}

// A refused job touches nothing and says why on the console and in its log.
void ExpectRefused(const ProcessResult& r, const std::wstring& what) {
    EXPECT_EQ(r.exitCode, 2u) << WideToUtf8(what);
    EXPECT_NE(r.err.find("什么都没动"), std::string::npos) << WideToUtf8(what) << r.err;
    EXPECT_NE(ReadBytes(LatestJobLog()).find("什么都没动"), std::string::npos) << WideToUtf8(what);
}

// Onto itself, into itself, or over its own parent, under every spelling of
// the same folder; one such source refuses the whole job, other sources too.
TEST_P(Safety, ASourceUnderAnotherSpellingIsNeverItsOwnTarget) {
    WriteMixedTree(dir / L"src\\Photos");
    WriteBytesDeep(dir / L"nest\\nest\\f.txt", "nested");
    WriteBytesDeep(dir / L"other.txt", "other");
    auto before = TreeDigest(dir.path());
    auto foldersBefore = FolderList(dir.path());
    const std::wstring photos = dir / L"src\\Photos";
    const std::vector<std::pair<std::wstring, std::wstring>> cases = {
        {photos, L"\\\\?\\" + (dir / L"src")}, {photos, Slashed(dir / L"src")},
        {photos, dir / L"src\\\\\\."},         {photos, dir / L"src\\Photos\\sub\\.."},
        {photos, dir / L"SRC\\photos\\sub\\"}, {Slashed(photos) + L"/", dir / L"x\\..\\src"},
        {dir / L"nest\\nest", dir.path()},  // lands on its own parent
    };
    for (const auto& [source, destination] : cases) {
        ProcessResult r = Run({L"move", dir / L"other.txt", source, L"--dest", destination});
        ExpectRefused(r, source + L" -> " + destination);
    }
    EXPECT_EQ(TreeDigest(dir.path()), before);
    EXPECT_EQ(FolderList(dir.path()), foldersBefore);
}

// A second drive letter for the same folder is caught by identity, not text.
TEST_P(Safety, ASecondDriveLetterForTheSourceIsCaught) {
    WriteMixedTree(dir / L"src\\Photos");
    auto before = TreeDigest(dir / L"src");
    MappedDrive q(L'Q', dir / L"src");
    if (!q.mapped()) GTEST_SKIP() << "no second drive letter here";
    ExpectRefused(Run({L"move", dir / L"src\\Photos", L"--dest", q.root()}), q.root());
    EXPECT_EQ(TreeDigest(dir / L"src"), before);
}

// Two sources of one name, or two names in one folder that differ only in
// case, would land on one path: the later would replace the earlier.
TEST_P(Safety, SourcesThatLandOnOnePathAreRefused) {
    WriteBytesDeep(dir / L"a\\report.txt", "first");
    WriteBytesDeep(dir / L"b\\report.txt", "second");
    WriteBytesDeep(dir / L"a\\photos\\1.jpg", "one");
    WriteBytesDeep(dir / L"b\\photos\\2.jpg", "two");
    auto before = TreeDigest(dir.path());
    ExpectRefused(
        Run({L"move", dir / L"a\\report.txt", dir / L"b\\report.txt", L"--dest", dir / L"out"}),
        L"files");
    ExpectRefused(Run({L"move", dir / L"a\\photos", dir / L"b\\photos", L"--dest", dir / L"out"}),
                  L"folders");
    EXPECT_EQ(TreeDigest(dir.path()), before);
    EXPECT_FALSE(Exists(dir / L"out"));

    // A short (8.3) name is the same entry as its long one.
    WriteBytesDeep(dir / L"e\\report-long-name.txt", "short");
    wchar_t shortName[MAX_PATH];
    DWORD n = GetShortPathNameW((dir / L"e\\report-long-name.txt").c_str(), shortName, MAX_PATH);
    if (n > 0 && n < MAX_PATH && wcschr(shortName, L'~')) {
        WriteBytesDeep(dir / L"f\\report-long-name.txt", "long");
        ExpectRefused(
            Run({L"move", shortName, dir / L"f\\report-long-name.txt", L"--dest", dir / L"out"}),
            L"short name");
        EXPECT_EQ(ReadBytes(dir / L"e\\report-long-name.txt"), "short");
    }

    // Windows 10 folders can be case-sensitive, as Wine's are.
    WriteBytesDeep(dir / L"c\\sub\\note.txt", "lower");
    if (!MakeCaseTwin(dir / L"c\\sub", L"note.txt", L"NOTE.txt"))
        GTEST_SKIP() << "no case twins here";
    ExpectRefused(Run({L"move", dir / L"c", L"--dest", dir / L"out"}), L"case");
    EXPECT_EQ(CountFiles(dir / L"c"), 2u);
}

// robocopy and the skip rule both take a destination of the same size and
// time as done; a move must still carry the source's own bytes before it
// deletes the source. A file source moves only itself, not its namesakes below.
TEST_P(Safety, AMoveCarriesItsOwnBytesAndOnlyItsOwnFile) {
    WriteBytesDeep(dir / L"src\\d\\f.txt", "new!");
    WriteBytesDeep(dir / L"src\\g.txt", "mine");
    WriteBytesDeep(dir / L"src\\sub\\g.txt", "a namesake");
    WriteBytesDeep(dir / L"out\\d\\f.txt", "old?");
    WriteBytesDeep(dir / L"out\\g.txt", "othr");
    for (const wchar_t* name : {L"d\\f.txt", L"g.txt"})
        ASSERT_TRUE(SetWriteTime(dir / L"out\\" + name, WriteTime(dir / L"src\\" + name)));
    ProcessResult r = Run({L"move", dir / L"src\\d", dir / L"src\\g.txt", L"--dest", dir / L"out"});
    EXPECT_EQ(r.exitCode, 0u) << r.err;
    EXPECT_EQ(ReadBytes(dir / L"out\\d\\f.txt"), "new!");
    EXPECT_EQ(ReadBytes(dir / L"out\\g.txt"), "mine");
    EXPECT_FALSE(Exists(dir / L"src\\d"));
    EXPECT_FALSE(Exists(dir / L"src\\g.txt"));
    EXPECT_EQ(ReadBytes(dir / L"src\\sub\\g.txt"), "a namesake");
    EXPECT_FALSE(Exists(dir / L"out\\sub"));
}

// Dot steps, doubled and forward separators, relative and drive-relative
// paths all name the folder they mean.
TEST_P(Safety, EverySpellingOfAPathReachesItsFolder) {
    WriteMixedTree(dir / L"src\\Photos");
    WriteBytesDeep(dir / L"src\\one.txt", "one");
    ProcessResult r =
        Run({L"copy", dir / L"src\\..\\src\\Photos\\.", L"--dest", Slashed(dir / L"out//x/..")});
    EXPECT_EQ(r.exitCode, 0u) << r.err;
    EXPECT_EQ(TreeDigest(dir / L"out\\Photos"), TreeDigest(dir / L"src\\Photos"));
    // The scratch folder is on drive C, so "C:rel" is relative to it as well.
    r = Run({L"copy", L"src\\one.txt", L"--dest", L"C:rel"}, dir.path());
    EXPECT_EQ(r.exitCode, 0u) << r.err;
    EXPECT_EQ(ReadBytes(dir / L"rel\\one.txt"), "one");
}

// A link inside a source is neither copied nor followed: a move through it
// would delete files that were never part of the source.
TEST_P(Safety, ALinkInsideASourceIsNotFollowed) {
    WriteBytesDeep(dir / L"outside\\keep.txt", "keep");
    WriteBytesDeep(dir / L"src\\Photos\\a.txt", "a");
    if (!MakeFolderLink(dir / L"src\\Photos\\link", dir / L"outside"))
        GTEST_SKIP() << "no folder links here";
    ProcessResult r = Run({L"move", dir / L"src\\Photos", L"--dest", dir / L"out"});
    RemoveLink(dir / L"src\\Photos\\link");
    EXPECT_EQ(ReadBytes(dir / L"outside\\keep.txt"), "keep");
    EXPECT_EQ(ReadBytes(dir / L"out\\Photos\\a.txt"), "a");
    EXPECT_FALSE(Exists(dir / L"out\\Photos\\link\\keep.txt"));
    EXPECT_LE(r.exitCode, 1u);  // the link itself stays behind in its source
}

// A link on the way to the destination is followed to where it leads: a move
// into its own tree through one is refused like any other.
TEST_P(Safety, ALinkIntoTheSourceIsNoWayAroundTheRefusal) {
    WriteBytesDeep(dir / L"S\\data\\inner\\f.txt", "f");
    if (!MakeFolderLink(dir / L"S\\data2", dir / L"S\\data\\inner") ||
        !MakeFolderLink(dir / L"into", dir / L"S\\data\\inner"))
        GTEST_SKIP() << "no folder links here";
    auto before = TreeDigest(dir / L"S\\data");
    ExpectRefused(Run({L"move", dir / L"S\\data", L"--dest", dir / L"S\\data2\\sub"}), L"below");
    ExpectRefused(Run({L"copy", dir / L"S\\data", L"--dest", dir / L"into"}), L"dest is a link");
    RemoveLink(dir / L"S\\data2");
    RemoveLink(dir / L"into");
    EXPECT_EQ(TreeDigest(dir / L"S\\data"), before);
}

// A literal path keeps its trailing dot, so it names "foo." and not "foo";
// a volume's GUID name is a volume, never a folder of the current one.
TEST_P(Safety, ALiteralPathIsTakenLiterally) {
    WriteBytesDeep(dir / L"src\\foo", "plain");
    ASSERT_TRUE(WriteBytes(L"\\\\?\\" + (dir / L"src\\foo."), "dotted"));
    ProcessResult r = Run({L"move", L"\\\\?\\" + (dir / L"src\\foo."), L"--dest", dir / L"out"});
    EXPECT_EQ(r.exitCode, 0u) << r.err;
    EXPECT_EQ(ReadBytes(L"\\\\?\\" + (dir / L"out\\foo.")), "dotted");
    EXPECT_EQ(ReadBytes(dir / L"src\\foo"), "plain");
    EXPECT_FALSE(Exists(dir / L"out\\foo"));

    const std::wstring backup = L"\\\\?\\Volume{7a0d9f3e-5b1c-4e2a-9d8f-000000000000}\\backup";
    r = Run({L"copy", dir / L"src\\foo", L"--dest", backup}, dir.path());
    EXPECT_NE(r.exitCode, 0u);  // no such volume here
    EXPECT_EQ(FolderList(dir.path()), (std::vector<std::wstring>{L"out", L"src"}));
}

// A whole drive copied into a drive root lands there, under its own names.
TEST_P(Safety, ADriveRootCopiesIntoADriveRoot) {
    WriteMixedTree(dir / L"src");
    CreateDirectoryW((dir / L"dst").c_str(), nullptr);
    MappedDrive from(L'Q', dir / L"src"), to(L'R', dir / L"dst");
    if (!from.mapped() || !to.mapped()) GTEST_SKIP() << "no drive letters here";
    ProcessResult r = Run({L"copy", from.root(), L"--dest", to.root()});
    EXPECT_EQ(r.exitCode, 0u) << r.err;
    EXPECT_EQ(TreeDigest(dir / L"dst"), TreeDigest(dir / L"src"));
}

// robocopy before Windows 11 22H2 refuses /SPARSE with the whole command line:
// the installed robocopy is asked, whatever its version says.
using OlderRobocopy = ProgramTest;
using KilledRobocopy = ProgramTest;

TEST_F(OlderRobocopy, GetsALineItKnows) {
    WriteMixedTree(dir / L"src\\Photos");
    const std::vector<std::wstring> dryRun = {L"--dryrun", dir / L"src\\Photos", L"--dest",
                                              dir / L"out"};
    RunZerrow(dryRun);
    std::string lines = ReadBytes(LogFolder() + L"\\dryrun.txt");
    EXPECT_NE(lines.find("/XJ /SPARSE /COPY:DAT"), std::string::npos) << lines;

    EnvGuard older(L"ZRW_FAKE_ROBO_NO_SPARSE", L"1");
    ProcessResult r = RunZerrow(
        {L"copy", dir / L"src\\Photos", L"--dest", dir / L"out", L"--engine:robo", L"--silent"});
    EXPECT_EQ(r.exitCode, 0u) << r.err;
    EXPECT_EQ(TreeDigest(dir / L"out\\Photos"), TreeDigest(dir / L"src\\Photos"));
    RunZerrow(dryRun);
    lines = ReadBytes(LogFolder() + L"\\dryrun.txt");
    EXPECT_NE(lines.find("/XJ /COPY:DAT"), std::string::npos) << lines;
}

// The exit code of a robocopy ended from outside is its killer's choice; the
// files decide whether the job finished.
TEST_F(KilledRobocopy, IsAFailureAndLosesNothing) {
    SlowRobocopy slow;
    for (const wchar_t* verb : {L"move", L"copy"}) {
        TempDir run;
        WriteFiles(run / L"src", 40);
        Background zerrow(
            {verb, run / L"src", L"--dest", run / L"out", L"--engine:robo", L"--silent"});
        WaitUntil([&] { return CountFiles(run / L"out") > 0; }, 20000);
        UniqueHandle robocopy = WaitForRobocopyChild(zerrow.pid(), 20000);
        ASSERT_TRUE(robocopy) << WideToUtf8(verb);
        TerminateProcess(robocopy.get(), 1);  // 1 reads as "files copied"
        EXPECT_EQ(zerrow.Wait(30000), 1u) << WideToUtf8(verb);
        size_t left = CountFiles(run / L"src"), landed = CountFiles(run / L"out");
        EXPECT_GT(left, 0u) << WideToUtf8(verb);
        EXPECT_LT(landed, 40u) << WideToUtf8(verb);
        EXPECT_GE(left + landed, 40u)
            << WideToUtf8(verb);  // a file may be in both, none in neither
        std::string log = ReadBytes(LatestJobLog());
        EXPECT_NE(log.find("robocopy 结束了"), std::string::npos) << WideToUtf8(verb) << log;
    }
}

// A move deletes a source only as its copy left it: one that grew after
// robocopy copied it (a program still writing its log) stays, with every line.
TEST_F(KilledRobocopy, AMovedSourceThatGrewAfterItsCopyStays) {
    WriteBytesDeep(dir / L"src\\app.log", "first line");
    WriteBytesDeep(dir / L"src\\done.txt", "done");
    EnvGuard grow(L"ZRW_FAKE_ROBO_GROW", L"1");
    ProcessResult r =
        RunZerrow({L"move", dir / L"src", L"--dest", dir / L"out", L"--engine:robo", L"--silent"});
    EXPECT_EQ(r.exitCode, 1u) << r.err;
    EXPECT_EQ(ReadBytes(dir / L"src\\app.log"), "first line and a new line");
    EXPECT_EQ(ReadBytes(dir / L"out\\src\\app.log"), "first line");
    EXPECT_NE(ReadBytes(LatestJobLog()).find("但源里还有文件"), std::string::npos);
}

// Files of the same size already at the destination (a re-run, a disk of
// fixed-size files) are no proof: times are compared too.
TEST_F(KilledRobocopy, OverSameSizeFilesIsStillAFailure) {
    SlowRobocopy slow;
    WriteFiles(dir / L"src", 40);
    WriteFiles(dir / L"out\\src", 40);
    FILETIME old{0, 0x01C00000};
    for (int i = 0; i < 40; ++i)
        ASSERT_TRUE(SetWriteTime(dir / (L"out\\src\\f" + std::to_wstring(i) + L".bin"), old));
    Background zerrow(
        {L"copy", dir / L"src", L"--dest", dir / L"out", L"--engine:robo", L"--silent"});
    // The job's robocopy is running once it has replaced a file.
    WaitUntil(
        [&] { return WriteTime(dir / L"out\\src\\f0.bin").dwHighDateTime != old.dwHighDateTime; },
        20000);
    UniqueHandle robocopy = WaitForRobocopyChild(zerrow.pid(), 20000);
    ASSERT_TRUE(robocopy);
    TerminateProcess(robocopy.get(), 1);
    EXPECT_EQ(zerrow.Wait(30000), 1u);
    EXPECT_NE(ReadBytes(LatestJobLog()).find("robocopy 结束了"), std::string::npos);
}

}  // namespace
}  // namespace zrw::test
