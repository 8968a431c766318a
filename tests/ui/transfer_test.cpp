// Transfers started from the main window: what is copied, what is refused
// before anything starts, and what the window shows when it is done.
#include "app/lang.h"
#include "app/settings.h"
#include "job/control.h"
#include "tests/ui/transfer_fixture.h"
#include "ui/ids.h"
#include "ui/job_display.h"
#include "ui/window.h"

namespace zrw::test {
namespace {

// A message box owned by the main window and captioned with the application title.
void ExpectBox(const AnsweredBox& seen, HWND owner, const std::wstring& text, LPCWSTR icon) {
    ASSERT_TRUE(seen.shown) << WideToUtf8(text);
    EXPECT_EQ(seen.text, text);
    EXPECT_EQ(seen.caption, g_appTitle);
    EXPECT_EQ(seen.owner, owner);
    EXPECT_EQ(seen.icon, LoadIconW(nullptr, icon));
}

TEST_F(WindowTransfer, CopiesAMixedTreeWithTheStandInRobocopy) {
    OpenPanes(Engine::Robocopy);
    WriteMixedTree(Left(L"tree"));
    SelectLeft({L"tree"});
    ASSERT_EQ(g_main.sourceSelection, std::vector<std::wstring>{Left(L"tree")});
    Press(kIdCopyRight);
    EXPECT_TRUE(g_main.running);
    EXPECT_EQ(WindowText(g_main.title), L"搬运中…（点「取消」可以停下）");
    EXPECT_FALSE(IsWindowEnabled(g_main.copyRight));
    EXPECT_TRUE(IsWindowEnabled(g_main.cancel));
    ASSERT_TRUE(WaitUntilIdle());

    EXPECT_EQ(TreeDigest(Right(L"tree")), TreeDigest(Left(L"tree")));
    EXPECT_TRUE(StartsWith(WindowText(g_main.status), L"已完成 · "))
        << WideToUtf8(WindowText(g_main.status));
    std::wstring report = WindowText(g_main.report);
    EXPECT_TRUE(StartsWith(report, L"上次作业:  已完成\r\n已复制:  ")) << WideToUtf8(report);
    EXPECT_NE(report.find(L"\r\n目标目录:  " + Right() + L"\r\n平均速度:  "), std::wstring::npos)
        << WideToUtf8(report);
    EXPECT_EQ(WindowText(g_main.failure), L"");
    EXPECT_EQ(WindowText(window_), L"泽若 快速复制");
    EXPECT_EQ(BarPosition(), 100);
    EXPECT_EQ(RowNames(g_main.rightList), (std::vector<std::wstring>{L"..", L"tree"}));
    EXPECT_TRUE(IsWindowEnabled(g_main.copyRight));
    EXPECT_FALSE(IsWindowEnabled(g_main.cancel));
    EXPECT_FALSE(IsWindowEnabled(g_main.pauseButton));
    EXPECT_EQ(g_job.exitCodes.size(), 1u);
}

TEST_F(WindowTransfer, CopiesAMixedTreeWithTheNativeEngineInEnglish) {
    OpenPanes(Engine::Native, kLangEn);
    WriteMixedTree(Left(L"tree"));
    SelectLeft({L"tree"});
    Press(kIdCopyRight);
    ASSERT_TRUE(WaitUntilIdle());

    EXPECT_EQ(TreeDigest(Right(L"tree")), TreeDigest(Left(L"tree")));
    std::wstring status = WindowText(g_main.status);
    const std::wstring total = L"1.50 MB";  // the mixed tree's 1,572,909 bytes
    EXPECT_TRUE(StartsWith(status, L"Done · " + total + L" / " + total + L" · Time "))
        << WideToUtf8(status);
    std::wstring report = WindowText(g_main.report);
    EXPECT_TRUE(StartsWith(
        report, L"Last job:  done\r\nCopied:  " + total + L" / " + total + L"\r\nTime:  "))
        << WideToUtf8(report);
    EXPECT_NE(report.find(L"\r\nDestination:  " + Right() + L"\r\nAvg speed:  "),
              std::wstring::npos);
    EXPECT_EQ(WindowText(window_), L"Zerrow Pro — Fast Copy");
    EXPECT_EQ(RowNames(g_main.rightList), (std::vector<std::wstring>{L"..", L"tree"}));
    EXPECT_EQ(WindowText(g_main.title), L"Selected 1 items  →  " + Right());
}

TEST_F(WindowTransfer, TitleLineNamesTheSelectionAndTheRightFolder) {
    OpenPanes(Engine::Native, kLangEn);
    EXPECT_EQ(WindowText(g_main.title),
              L"Pick the source (left) → pick the destination (right) → click \"Copy →\"   "
              L"(details in the panel below)");
    for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt"}) WriteBytes(Left(name), "x");
    SelectLeft({L"a.txt", L"b.txt", L"c.txt"});
    EXPECT_EQ(WindowText(g_main.title), L"Selected 3 items  →  " + Right());
    // What is typed into the right path box is not the right pane's folder.
    TypeDestination(dir / L"elsewhere");
    Select(g_main.leftList, {L"a.txt"});
    EXPECT_EQ(WindowText(g_main.title), L"Selected 3 items  →  " + Right());
}

TEST_F(WindowTransfer, NothingSelectedOrNoDestinationIsToldAndNothingStarts) {
    OpenPanes(Engine::Native);
    WriteBytes(Left(L"a.txt"), "x");
    Press(kIdRefresh);
    EXPECT_EQ(g_appTitle, L"泽若 快速复制");
    ExpectBox(PressAnswering(kIdCopyRight), window_,
              L"先在左栏选中要搬的文件/文件夹（或直接拖进来）。", IDI_INFORMATION);
    Select(g_main.leftList, {L"a.txt"});
    TypeDestination(L"");
    ExpectBox(PressAnswering(kIdMoveRight), window_, L"先在右栏选好目标文件夹。", IDI_INFORMATION);
    ExpectBox(PressAnswering(kIdCopyLeft), window_, L"先在右栏选中要搬回左栏的项。",
              IDI_INFORMATION);
    EXPECT_FALSE(g_main.running);
    EXPECT_EQ(ReadBytes(Left(L"a.txt")), "x");
}

TEST_F(WindowTransfer, AMoveToADriveRootIsRefusedAndCopiesNothing) {
    OpenPanes(Engine::Native);
    WriteBytes(Left(L"zrw-root-test.txt"), "stay");
    SelectLeft({L"zrw-root-test.txt"});
    TypeDestination(L"C:\\");
    ExpectBox(PressAnswering(kIdMoveRight), window_, L"目标不能是盘根 —— 会变成把整盘当垃圾桶。",
              IDI_WARNING);
    EXPECT_FALSE(g_main.running);
    EXPECT_FALSE(Exists(L"C:\\zrw-root-test.txt"));
    EXPECT_EQ(ReadBytes(Left(L"zrw-root-test.txt")), "stay");
}

TEST_F(WindowTransfer, AReverseMoveIntoADriveRootIsRefusedAndTheBoxShowsTheRightFolderAgain) {
    CreateDirectoryW(Right().c_str(), nullptr);
    WriteBytes(Right(L"zrw-back.txt"), "stay");
    g_settings.engine = Engine::Native;
    Open(L"C:\\", Right());
    TypeDestination(dir / L"typed");
    Select(g_main.rightList, {L"zrw-back.txt"});
    ExpectBox(PressAnswering(kIdMoveLeft), window_, L"目标不能是盘根 —— 会变成把整盘当垃圾桶。",
              IDI_WARNING);
    EXPECT_EQ(WindowText(g_main.rightPath), Right());
    EXPECT_EQ(ReadBytes(Right(L"zrw-back.txt")), "stay");
    EXPECT_FALSE(Exists(L"C:\\zrw-back.txt"));
}

TEST_F(WindowTransfer, AReverseCopyBringsTheRightItemsIntoTheLeftFolder) {
    OpenPanes(Engine::Native);
    WriteBytes(Left(L"mine.txt"), "left");
    WriteBytesDeep(Right(L"back\\f.txt"), "back");
    SelectLeft({L"mine.txt"});
    Select(g_main.rightList, {L"back"});
    Press(kIdCopyLeft);
    EXPECT_EQ(WindowText(g_main.rightPath), Right());
    EXPECT_EQ(g_main.sourceSelection, std::vector<std::wstring>{Left(L"mine.txt")});
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(ReadBytes(Left(L"back\\f.txt")), "back");
    EXPECT_EQ(g_job.destination, Left());
    EXPECT_EQ(RowNames(g_main.leftList), (std::vector<std::wstring>{L"..", L"back", L"mine.txt"}));
}

TEST_F(WindowTransfer, ATypedDestinationThatDoesNotExistYetIsCreated) {
    OpenPanes(Engine::Native);
    WriteBytesDeep(Left(L"src\\f.txt"), "made");
    SelectLeft({L"src"});
    TypeDestination(dir / L"new\\deeper\\");
    Press(kIdCopyRight);
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(ReadBytes(dir / L"new\\deeper\\src\\f.txt"), "made");
    EXPECT_EQ(g_main.destination, dir / L"new\\deeper");
    EXPECT_TRUE(StartsWith(WindowText(g_main.status), L"已完成 · "));
}

TEST_F(WindowTransfer, PressingCopyTwiceStartsOneTransfer) {
    OpenPanes(Engine::Robocopy);
    WriteFiles(Left(L"src"), 5);
    SlowRobocopy slow;
    SelectLeft({L"src"});
    PostMessageW(window_, WM_COMMAND, kIdCopyRight, 0);
    PostMessageW(window_, WM_COMMAND, kIdCopyRight, 0);
    PostMessageW(window_, WM_KEYDOWN, VK_RETURN, 0);
    PumpMessages();
    EXPECT_TRUE(g_main.running);
    EXPECT_EQ(RobocopyChildren(GetCurrentProcessId()).size(), 1u);
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(g_job.exitCodes, std::vector<uint32_t>{1});
    EXPECT_EQ(TreeDigest(Right(L"src")), TreeDigest(Left(L"src")));
}

TEST_F(WindowTransfer, VanishedSourcesDropOutAndTheSelectionShrinks) {
    OpenPanes(Engine::Native);
    WriteBytes(Left(L"a.txt"), "kept");
    WriteBytes(Left(L"b.txt"), "gone");
    SelectLeft({L"a.txt", L"b.txt"});
    DeleteFileW(Left(L"b.txt").c_str());
    Press(kIdCopyRight);
    EXPECT_EQ(g_main.sourceSelection, std::vector<std::wstring>{Left(L"a.txt")});
    ASSERT_TRUE(WaitUntilIdle());
    EXPECT_EQ(ReadBytes(Right(L"a.txt")), "kept");
    EXPECT_FALSE(Exists(Right(L"b.txt")));

    DeleteFileW(Left(L"a.txt").c_str());
    Press(kIdCopyRight);
    EXPECT_FALSE(g_main.running);
    EXPECT_EQ(WindowText(g_main.status), L"没有可搬的源（路径不存在或无权限）");
}

TEST_F(WindowTransfer, WithoutRobocopyNoSourceStartsAndTheWindowStaysIdle) {
    OpenPanes(Engine::Robocopy);
    WriteBytesDeep(Left(L"src\\f.txt"), "x");
    SelectLeft({L"src"});
    RobocopyHidden gone;
    ASSERT_TRUE(gone.hidden());
    Press(kIdCopyRight);
    EXPECT_FALSE(g_main.running);
    EXPECT_EQ(WindowText(g_main.status), L"起不了vozi（robocopy）进程");
    EXPECT_TRUE(IsWindowEnabled(g_main.copyRight));
    EXPECT_FALSE(IsWindowEnabled(g_main.cancel));
    EXPECT_FALSE(Exists(Right(L"src")));
}

// A target that is the source itself or lies inside it is refused before
// anything runs, whatever the engine would do with it.
TEST_F(WindowTransfer, ATransferIntoItselfOrItsOwnSubFolderIsRefused) {
    OpenPanes(Engine::Native);
    WriteBytesDeep(Left(L"src\\sub\\f.txt"), "only copy");
    WriteBytesDeep(Left(L"src\\g.txt"), "second");
    auto before = TreeDigest(Left(L"src"));
    SelectLeft({L"src"});
    struct Case {
        int command;
        std::wstring destination;
    };
    const Case cases[] = {
        {kIdMoveRight, Left(L"src")},
        {kIdMoveRight, Left(L"SRC\\sub\\")},
        {kIdMoveRight, Left()},
        {kIdCopyRight, Left(L"src\\sub")},
    };
    for (const Case& c : cases) {
        TypeDestination(c.destination);
        SCOPED_TRACE(WideToUtf8(c.destination));
        ExpectBox(PressAnswering(c.command), window_,
                  L"目标在源里面（会自己复制自己），换一个目标文件夹。", IDI_INFORMATION);
        EXPECT_FALSE(g_main.running);
        EXPECT_TRUE(g_job.exitCodes.empty());
        EXPECT_EQ(WindowText(g_main.status), L"");
    }
    EXPECT_EQ(TreeDigest(Left(L"src")), before);
    EXPECT_FALSE(Exists(Left(L"src\\src")));
    EXPECT_FALSE(Exists(Left(L"src\\sub\\src")));
}

}  // namespace
}  // namespace zrw::test
