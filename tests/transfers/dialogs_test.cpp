// What a user sees of a transfer started without --silent: the message
// boxes, the failure prompt and Windows' progress dialog with its Cancel button.
#include "tests/transfers/helpers.h"

#include <gtest/gtest.h>

namespace zrw::test {
namespace {

const wchar_t kProduct[] = L"Zerrow Pro";

using Dialogs = ProgramTest;

// Answers the job's message box and returns its text.
std::wstring Answer(const Background& zerrow, int button) {
    HWND box = WaitForWindow(zerrow.pid(), L"#32770", kProduct, 30000);
    if (!box) return L"(no message box)";
    std::wstring text = MessageText(box);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    return text;
}

TEST_F(Dialogs, NothingToCopyIsToldAndEndsWithTwo) {
    Background zerrow({L"copy", dir / L"gone", L"--dest", dir / L"out", L"--lang:en"});
    ASSERT_TRUE(zerrow.started());
    EXPECT_EQ(Answer(zerrow, IDOK), L"Nothing to copy (path missing or no permission).");
    EXPECT_EQ(zerrow.Wait(20000), 2u);
}

TEST_F(Dialogs, MissingRobocopyIsToldAndEndsWithTwo) {
    WriteBytesDeep(dir / L"src\\f.txt", "x");
    RobocopyHidden gone;
    ASSERT_TRUE(gone.hidden());
    Background zerrow(
        {L"copy", dir / L"src", L"--dest", dir / L"out", L"--engine:robo", L"--lang:en"});
    std::wstring text = Answer(zerrow, IDOK);
    EXPECT_EQ(text.rfind(L"Windows' built-in copy engine Robocopy.exe was not found.", 0), 0u)
        << WideToUtf8(text);
    EXPECT_EQ(zerrow.Wait(20000), 2u);
    EXPECT_FALSE(Exists(dir / L"out"));
}

// From the context menu a refusal is told with both paths, not blamed on
// files in use; nothing is moved.
TEST_F(Dialogs, ARefusedMoveNamesBothPathsAndEndsWithTwo) {
    WriteBytesDeep(dir / L"src\\Photos\\f.txt", "x");
    Background zerrow({L"move", dir / L"src\\Photos", L"--dest", dir / L"src/", L"--lang:en"});
    EXPECT_EQ(Answer(zerrow, IDOK),
              L"The destination overlaps a source (one lies inside the other); nothing was "
              L"touched:\n\n" +
                  (dir / L"src\\Photos") + L"\n→ " + (dir / L"src\\Photos"));
    EXPECT_EQ(zerrow.Wait(20000), 2u);
    EXPECT_EQ(ReadBytes(dir / L"src\\Photos\\f.txt"), "x");
}

TEST_F(Dialogs, FailurePromptAnsweredNoEndsWithOne) {
    WriteBytesDeep(dir / L"src\\f.txt", "x");
    EnvGuard forced(L"ZRW_FAKE_ROBO_EXIT", L"8");
    Background zerrow(
        {L"copy", dir / L"src", L"--dest", dir / L"out", L"--engine:robo", L"--lang:en"});
    EXPECT_EQ(Answer(zerrow, IDNO),
              L"1 sources failed (file in use / access denied / path too long).\n\n"
              L"Open the robocopy log for details?");
    EXPECT_EQ(zerrow.Wait(20000), 1u);
}

TEST_F(Dialogs, CancelInTheProgressDialogStopsRobocopyAndEndsWithThree) {
    WriteFiles(dir / L"src", 30);
    SlowRobocopy slow(L"300");
    // The first source is missing, so it has failed before the cancel; that
    // must not bring up the failure prompt.
    Background zerrow({L"copy", dir / L"missing", dir / L"src", L"--dest", dir / L"out",
                       L"--engine:robo", L"--lang:en"});
    HWND dialog = WaitForWindow(zerrow.pid(), L"#32770", L"Copying 2 items", 30000);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return CountFiles(dir / L"out") > 0; }, 30000));
    UniqueHandle robocopy = WaitForRobocopyChild(zerrow.pid(), 30000);
    ASSERT_TRUE(robocopy);
    HWND cancel = GetDlgItem(dialog, IDCANCEL);
    ASSERT_NE(cancel, nullptr);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(cancel));
    EXPECT_EQ(zerrow.Wait(20000), 3u);
    // Its robocopy ended with it: nothing lands from here on.
    EXPECT_EQ(WaitForSingleObject(robocopy.get(), 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_LT(CountFiles(dir / L"out"), 30u);
}

}  // namespace
}  // namespace zrw::test
