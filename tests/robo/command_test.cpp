// robocopy's command lines, quoting and thread counts.
#include "app/logdir.h"
#include "engine/driver.h"
#include "robo/robo.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <cwctype>

namespace zrw {
namespace {

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

using test::FileItem;
using test::FolderItem;

RobocopyRun Job(const std::wstring& destination, bool move) {
    return {destination, L"L:\\logs\\copy.log", move};
}

// What follows the source and destination arguments on every line; Wine's
// volumes answer no seek-penalty query, so the count is 8. Only a folder
// source recurses: for a file source /E would match its name in every sub-folder.
const std::wstring kSwitches = L" /XJ /SPARSE /COPY:DAT /DCOPY:DAT /R:1 /W:1 /MT:8 /NFL /NDL /NP";
const std::wstring kFolderSwitches = L" /E" + kSwitches;
const std::wstring kLog = L" /LOG+:\"L:\\logs\\copy.log\"";

std::wstring Program() { return L"\"" + RobocopyPath() + L"\""; }

TEST(RobocopyPath, IsRobocopyInTheSystemFolder) {
    EXPECT_EQ(Lower(RobocopyPath()), L"c:\\windows\\system32\\robocopy.exe");
}

TEST(PathHelpers, QuoteParentAndJoin) {
    EXPECT_EQ(Quote(L"D:\\a b"), L"\"D:\\a b\"");
    EXPECT_EQ(Quote(L""), L"\"\"");
    EXPECT_EQ(Quote(L"x\\"), L"\"x\\\"");  // Quote itself never escapes
    EXPECT_EQ(ParentFolder(L"D:\\a\\b.txt"), L"D:\\a");
    EXPECT_EQ(ParentFolder(L"D:\\b.txt"), L"D:\\");
    EXPECT_EQ(ParentFolder(L"D:/b.txt"), L"D:/");
    EXPECT_EQ(ParentFolder(L"a/b\\c"), L"a/b");
    EXPECT_EQ(ParentFolder(L"\\\\srv\\share\\f.txt"), L"\\\\srv\\share");
    EXPECT_EQ(ParentFolder(L"b.txt"), L".");
    EXPECT_EQ(JoinPath(L"E:\\out", L"Photos"), L"E:\\out\\Photos");
    EXPECT_EQ(JoinPath(L"E:\\", L"Photos"), L"E:\\\\Photos");
    EXPECT_EQ(JoinPath(L"E:\\out", L""), L"E:\\out\\");
}

TEST(RobocopyThreadCount, OneWhenEitherSideSeeks) {
    using P = SeekPenalty;
    EXPECT_EQ(RobocopyThreadCount(P::No, P::No), 8);
    EXPECT_EQ(RobocopyThreadCount(P::Unknown, P::Unknown), 8);
    EXPECT_EQ(RobocopyThreadCount(P::No, P::Yes), 1);  // rotating source, solid-state target
    EXPECT_EQ(RobocopyThreadCount(P::Yes, P::No), 1);
    EXPECT_EQ(RobocopyThreadCount(P::Yes, P::Unknown), 1);
    EXPECT_EQ(RobocopyThreadCount(P::Unknown, P::Yes), 1);
}

TEST(BuildRobocopyCommand, FolderAndFileSources) {
    EXPECT_EQ(BuildRobocopyCommand(FolderItem(L"D:\\a\\Photos", L"Photos"), Job(L"E:\\out", false)),
              Program() + L" \"D:\\a\\Photos\" \"E:\\out\\Photos\"" + kFolderSwitches + kLog);
    EXPECT_EQ(BuildRobocopyCommand(FileItem(L"D:\\a\\b.txt", L"b.txt"), Job(L"E:\\out", false)),
              Program() + L" \"D:\\a\" \"E:\\out\" \"b.txt\"" + kSwitches + kLog);
    EXPECT_EQ(BuildRobocopyCommand(FolderItem(L"\\\\nas\\share\\照片 2024", L"照片 2024"),
                                   Job(L"\\\\backup\\d", false)),
              Program() + L" \"\\\\nas\\share\\照片 2024\" \"\\\\backup\\d\\照片 2024\"" +
                  kFolderSwitches + kLog);
}

// A backslash right before a closing quote would escape it for robocopy's
// argument splitter, so such a backslash is doubled.
TEST(BuildRobocopyCommand, DriveRootsEndTheirQuotesCleanly) {
    EXPECT_EQ(BuildRobocopyCommand(FileItem(L"D:\\b.txt", L"b.txt"), Job(L"E:\\out", false)),
              Program() + L" \"D:\\\\\" \"E:\\out\" \"b.txt\"" + kSwitches + kLog);
    EXPECT_EQ(BuildRobocopyCommand(FileItem(L"D:\\a\\b.txt", L"b.txt"), Job(L"E:\\", false)),
              Program() + L" \"D:\\a\" \"E:\\\\\" \"b.txt\"" + kSwitches + kLog);
    // A drive root lands in the destination itself; a root destination keeps
    // its one backslash, doubled before the quote.
    EXPECT_EQ(BuildRobocopyCommand(FolderItem(L"D:\\", L""), Job(L"E:\\out", false)),
              Program() + L" \"D:\\\\\" \"E:\\out\"" + kFolderSwitches + kLog);
    EXPECT_EQ(BuildRobocopyCommand(FolderItem(L"D:\\", L""), Job(L"E:\\", false)),
              Program() + L" \"D:\\\\\" \"E:\\\\\"" + kFolderSwitches + kLog);
}

// robocopy answers a switch it does not know with 16.
TEST(RobocopySparse, KnownWhenTheAskedRobocopyEndsBelow16) {
    EXPECT_TRUE(SparseSwitchKnown(0u));
    EXPECT_TRUE(SparseSwitchKnown(1u));
    EXPECT_TRUE(SparseSwitchKnown(15u));
    EXPECT_FALSE(SparseSwitchKnown(16u));
    EXPECT_FALSE(SparseSwitchKnown(0xC0000005u));   // died
    EXPECT_FALSE(SparseSwitchKnown(std::nullopt));  // not run, or not ended in time
}

// The probe asks the robocopy it is given and leaves the log folder as it was.
using SparseProbe = test::IsolatedTest;

TEST_F(SparseProbe, AsksThatRobocopyAndLeavesNothingBehind) {
    const std::wstring robocopy = test::ToolExe(L"fake_robocopy");
    std::optional<DWORD> knows = ProbeSparseSwitch(robocopy);
    ASSERT_TRUE(knows.has_value());
    EXPECT_LT(*knows, 16u);
    {
        test::EnvGuard older(L"ZRW_FAKE_ROBO_NO_SPARSE", L"1");
        EXPECT_EQ(ProbeSparseSwitch(robocopy), std::optional<DWORD>(16));
    }
    EXPECT_EQ(ProbeSparseSwitch(dir / L"no-robocopy.exe"), std::nullopt);
    EXPECT_EQ(test::Listing(LogFolder()), std::vector<std::wstring>{});
}

// robocopy never deletes: a move copies, also over files it would call the
// same (size and time), and the program deletes each source once its copy is
// checked. A protected source is copied as in a copy.
TEST(BuildRobocopyCommand, AMoveCopiesOverLookAlikesUnlessTheSourceIsProtected) {
    const std::wstring folderTail = kFolderSwitches + L" /IS /IT" + kLog;
    EXPECT_EQ(BuildRobocopyCommand(FolderItem(L"D:\\a\\Photos", L"Photos"), Job(L"E:\\out", true)),
              Program() + L" \"D:\\a\\Photos\" \"E:\\out\\Photos\"" + folderTail);
    EXPECT_EQ(BuildRobocopyCommand(FileItem(L"D:\\a\\b.txt", L"b.txt"), Job(L"E:\\out", true)),
              Program() + L" \"D:\\a\" \"E:\\out\" \"b.txt\"" + kSwitches + L" /IS /IT" + kLog);
    EXPECT_EQ(BuildRobocopyCommand(FolderItem(L"C:\\Users\\me", L"me"), Job(L"E:\\out", true)),
              Program() + L" \"C:\\Users\\me\" \"E:\\out\\me\"" + folderTail);
    EXPECT_EQ(BuildRobocopyCommand(FolderItem(L"D:\\Users", L"Users"), Job(L"E:\\out", true)),
              Program() + L" \"D:\\Users\" \"E:\\out\\Users\"" + folderTail);
    for (const wchar_t* path : {L"c:\\program files", L"C:\\Windows", L"C:\\USERS",
                                L"C:\\ProgramData", L"C:\\Program Files (x86)"}) {
        std::wstring name = std::wstring(path).substr(3);
        EXPECT_EQ(
            BuildRobocopyCommand(FolderItem(path, name), Job(L"E:\\out", true)),
            Program() + L" \"" + path + L"\" \"E:\\out\\" + name + L"\"" + kFolderSwitches + kLog)
            << path;
    }
    EXPECT_EQ(BuildRobocopyCommand(FolderItem(L"F:", L""), Job(L"E:\\out", true)),
              Program() + L" \"F:\" \"E:\\out\"" + kFolderSwitches + kLog);
    // Other spellings of the same folders are protected as well.
    for (const wchar_t* path :
         {L"C:/Windows", L"\\\\?\\C:\\Windows", L"C:\\\\Windows", L"C:/Program Files", L"C:/users",
          L"C:/ProgramData", L"C:\\Windows\\..\\ProgramData", L"C:\\Users\\.\\"}) {
        std::wstring line = BuildRobocopyCommand(FolderItem(path, L"x"), Job(L"E:\\out", true));
        EXPECT_EQ(line.find(L"/I"), std::wstring::npos) << path;
    }
}

// Files of one folder go to one robocopy, as long as the line takes them.
TEST(RobocopyRunLength, AFolderAloneOrTheFilesOfOneFolder) {
    std::vector<SourceItem> sources = {
        FileItem(L"D:\\a\\1.txt", L"1.txt"), FileItem(L"d:\\A\\2.txt", L"2.txt"),
        FolderItem(L"D:\\a\\sub", L"sub"), FileItem(L"D:\\a\\3.txt", L"3.txt"),
        FileItem(L"D:\\b\\4.txt", L"4.txt")};
    EXPECT_EQ(RobocopyRunLength(sources), 2u);
    EXPECT_EQ(RobocopyRunLength(std::span(sources).subspan(2)), 1u);
    EXPECT_EQ(RobocopyRunLength(std::span(sources).subspan(3)), 1u);
    EXPECT_EQ(BuildRobocopyCommand(std::span(sources).first(2), Job(L"E:\\out", false)),
              Program() + L" \"D:\\a\" \"E:\\out\" \"1.txt\" \"2.txt\"" + kSwitches + kLog);
    std::vector<SourceItem> many(
        3000, FileItem(L"D:\\a\\" + std::wstring(20, L'n'), std::wstring(20, L'n')));
    size_t first = RobocopyRunLength(many);
    EXPECT_LT(first, many.size());
    EXPECT_LT(BuildRobocopyCommand(std::span(many).first(first), Job(L"E:\\out", false)).size(),
              32767u);
}

}  // namespace
}  // namespace zrw
