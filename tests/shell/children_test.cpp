// System programs started by full path, never one beside the program.
#include "shell/shell.h"
#include "tests/shell/registry.h"
#include "tests/support/dialogs.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

namespace zrw::test {
namespace {

// The program as a user keeps it, in a folder of its own, started from another
// folder; both folders may hold programs named like the system's.
class ChildProgramTest : public ShellTest {
protected:
    ChildProgramTest() : ShellTest(kSharedWithChildren) {}
    std::wstring Folder(const std::wstring& name,
                        const std::vector<std::pair<std::wstring, std::wstring>>& files) {
        const std::wstring folder = dir / name;
        CreateDirectoryW(folder.c_str(), nullptr);
        for (const auto& [fileName, from] : files)
            CopyFileW(from.c_str(), (folder + L"\\" + fileName).c_str(), FALSE);
        return folder;
    }
    // Stand-ins that record where they ran from, placed where a search would find them first.
    std::wstring Decoys() {
        return Folder(L"current", {{L"powershell.exe", ToolExe(L"fake_powershell")},
                                   {L"cmd.exe", ToolExe(L"fake_cmd")}});
    }
    CmdStandIn cmd_;
};

TEST_F(ChildProgramTest, PowerShellIsTheSystemOneNotOneBesideTheProgramOrInTheCurrentFolder) {
    const std::wstring program =
        Folder(L"Downloads",
               {{L"Zerrow.exe", ZerrowExe()}, {L"powershell.exe", ToolExe(L"fake_powershell")}});
    WriteBytes(program + L"\\ZerrowShellExt.msix", "msix");
    const ProcessResult run =
        RunProcess(QuoteArg(program + L"\\Zerrow.exe") + L" --register-menu", 60000, Decoys());
    EXPECT_EQ(run.exitCode, 0u);
    const std::vector<StandInRun> runs = StandInRuns(logPath);
    ASSERT_EQ(runs.size(), 1u);  // the add
    EXPECT_EQ(runs[0].image, kSystemPowerShell);
    EXPECT_EQ(
        runs[0].commandLine.rfind(std::wstring(L"\"") + kSystemPowerShell + L"\" -NoProfile ", 0),
        0u);
}

// The remover starts only once the final message is closed, from the system
// folder, so that neither the running program nor its own current directory
// keeps the folder from going.
TEST_F(ChildProgramTest, UninstallStartsTheSystemCmdAfterItsMessageInTheSystemFolder) {
    const std::wstring program = Folder(L"Zerrow", {{L"Zerrow.exe", ZerrowExe()}});
    SetString(HKEY_CURRENT_USER, kUninstallKey, L"InstallLocation", program);
    const std::wstring current = Decoys();
    ProcessResult result;
    std::thread uninstall([&] {
        result = RunProcess(QuoteArg(program + L"\\Zerrow.exe") + L" --uninstall", 60000, current);
    });
    const FoundWindow box =
        WaitForDialog([](HWND w) { return OfAChildProcess(w) && WindowText(w) == L"泽若"; }, 30000);
    if (box.window) {
        DWORD programId = 0;
        GetWindowThreadProcessId(box.window, &programId);
        // A remover started before the message is either still running or has written its record.
        EXPECT_TRUE(ChildProcesses(programId).empty());
        EXPECT_FALSE(Exists(cmdLogPath));
        const std::vector<std::wstring> texts = ChildTexts(box.window, L"Static");
        EXPECT_NE(std::find(texts.begin(), texts.end(),
                            L"已卸载：右键菜单、快捷方式和程序文件都已删除。"),
                  texts.end());
        PressButton(box.window, IDOK);
    }
    uninstall.join();
    ASSERT_TRUE(box.window) << "no message after uninstalling";
    EXPECT_EQ(result.exitCode, 0u);
    WaitUntil([&] { return Exists(cmdLogPath); }, 30000);
    const std::vector<StandInRun> runs = StandInRuns(cmdLogPath);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].image, kSystemCmd);
    EXPECT_EQ(runs[0].folder, kSystemFolder);
    std::wstring expected =
        L"\"C:\\windows\\system32\\cmd.exe\" /d /v:off /c ping -n 3 127.0.0.1 >nul";
    for (int i = 0; i < 6; ++i)
        expected += L" & rmdir /s /q \"%ZRW_REMOVE_FOLDER%\" & ping -n 4 127.0.0.1 >nul";
    EXPECT_EQ(runs[0].commandLine, expected);
}

}  // namespace
}  // namespace zrw::test
