// Install, uninstall, the program folder's removal and the launcher.
#include "app/lang.h"
#include "app/process.h"
#include "app/settings.h"
#include "shell/shell.h"
#include "tests/shell/registry.h"
#include "tests/support/dialogs.h"
#include "tests/support/support.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <map>
#include <thread>

namespace zrw::test {
namespace {

const std::wstring kShellFolders =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

std::wstring OwnPath() {
    std::wstring exe;
    ModulePath(nullptr, exe);
    return exe;
}

// Desktop and Start menu are pointed into the test's folder, so that the
// shortcuts never land in the real (Wine-linked) home folder.
class InstallTest : public ShellTest {
protected:
    explicit InstallTest(Hkcu hkcu = kPrivate) : ShellTest(hkcu) {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        for (const wchar_t* name : {L"Desktop", L"Programs"})
            CreateDirectoryW((dir / name).c_str(), nullptr);
    }
    std::vector<std::wstring> Links() const {
        return {dir / L"Desktop\\" + g_appTitle + L".lnk",
                dir / L"Programs\\" + g_appTitle + L".lnk"};
    }
    RegistryValue desktop_{HKEY_CURRENT_USER, kShellFolders, L"Desktop", dir / L"Desktop",
                           REG_EXPAND_SZ};
    RegistryValue programs_{HKEY_CURRENT_USER, kShellFolders, L"Programs", dir / L"Programs",
                            REG_EXPAND_SZ};
};

// "--launcher" is a child, reading the real HKCU.
class Launcher : public InstallTest {
protected:
    Launcher() : InstallTest(kSharedWithChildren) {}
};

TEST_F(InstallTest, QuietInstallWritesNineValuesBothShortcutsAndTheVerbs) {
    const std::wstring exe = OwnPath();
    ASSERT_EQ(ShortcutPaths(), Links());
    EXPECT_EQ(Install(true), 0);
    const std::wstring folder = exe.substr(0, exe.rfind(L'\\'));
    const std::map<std::wstring, std::wstring> expected = {
        {L"DisplayName", L"Zerrow Pro"},
        {L"DisplayVersion", L"1.0.1"},
        {L"Publisher", L"Zerrow"},
        {L"DisplayIcon", exe},
        {L"InstallLocation", folder},
        {L"UninstallString", L"\"" + exe + L"\" --uninstall"},
        {L"QuietUninstallString", L"\"" + exe + L"\" --uninstall --quiet"},
        {L"NoModify", L"1"},
        {L"NoRepair", L"1"}};
    const auto values = Values(HKEY_CURRENT_USER, kUninstallKey);
    EXPECT_EQ(values.size(), expected.size());
    for (const auto& [name, data] : expected) {
        ASSERT_EQ(values.count(name), 1u) << name;
        EXPECT_EQ(values.at(name).text, data) << name;
        EXPECT_EQ(values.at(name).type, static_cast<DWORD>(REG_SZ));
    }
    for (const std::wstring& link : Links()) EXPECT_TRUE(Exists(link)) << link;
    EXPECT_TRUE(IsMenuRegistered());
    EXPECT_EQ(InstallDir(), folder);

    // The test program's folder is the installation folder but holds foreign files.
    EXPECT_EQ(Uninstall(true), 0);
    for (const std::wstring& link : Links()) EXPECT_FALSE(Exists(link)) << link;
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUninstallKey));
    EXPECT_FALSE(IsMenuRegistered());
    EXPECT_TRUE(Exists(exe));
}

TEST_F(InstallTest, ShortcutPointsAtTheProgramFromItsFolder) {
    const std::wstring link = dir / L"x.lnk";
    ASSERT_TRUE(CreateShortcut(link, L"C:\\Tools\\Zerrow.exe", L""));
    ComPtr<IShellLinkW> shellLink;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_IShellLinkW, shellLink.put_void())));
    ComPtr<IPersistFile> file;
    ASSERT_TRUE(SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, file.put_void())));
    ASSERT_TRUE(SUCCEEDED(file->Load(link.c_str(), STGM_READ)));
    wchar_t text[MAX_PATH] = {};
    shellLink->GetWorkingDirectory(text, MAX_PATH);
    EXPECT_STREQ(text, L"C:\\Tools");
    shellLink->GetDescription(text, MAX_PATH);
    EXPECT_STREQ(text, L"泽若 — vozi（Windows 自带 robocopy）多线程复制/剪切");
    EXPECT_FALSE(CreateShortcut(dir / L"missing\\x.lnk", L"C:\\Tools\\Zerrow.exe", L""));
}

TEST_F(InstallTest, UninstallInTheOtherLanguageLeavesTheFirstShortcuts) {
    Install(true);
    UiLang = kLangEn;
    ApplyLanguage();
    Uninstall(true);
    UiLang = kLangZh;
    ApplyLanguage();
    for (const std::wstring& link : Links()) EXPECT_TRUE(Exists(link)) << link;
}

TEST_F(InstallTest, UninstallTakesTheCertificateOutOfTheUserStore) {
    WriteBytes(dir / L"ZerrowShellExt.msix", "msix");
    WriteBytes(dir / L"ZerrowShellExt.cer", "cer");
    SetString(HKEY_CURRENT_USER, kUninstallKey, L"InstallLocation", dir.path());
    Uninstall(true);
    EXPECT_EQ(PowerShellRuns(),
              std::vector<std::wstring>{PowerShellLine(
                  L"$ErrorActionPreference = 'Stop'; $t = (Get-PfxCertificate -LiteralPath '" +
                  dir.path() +
                  L"\\ZerrowShellExt.cer').Thumbprint; Get-ChildItem -LiteralPath "
                  L"'Cert:\\CurrentUser\\TrustedPeople' | "
                  L"Where-Object { $_.Thumbprint -eq $t } | Remove-Item")});
}

TEST_F(InstallTest, InstallDirFallsBackToLocalAppData) {
    PWSTR local = nullptr;
    ASSERT_TRUE(SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &local)));
    const std::wstring fallback = std::wstring(local) + L"\\Programs\\Zerrow";
    CoTaskMemFree(local);
    EXPECT_EQ(InstallDir(), fallback);
    SetString(HKEY_CURRENT_USER, kUninstallKey, L"InstallLocation", L"");
    EXPECT_EQ(InstallDir(), fallback);
    DWORD number = 5;
    UniqueKey key;
    RegOpenKeyExW(HKEY_CURRENT_USER, kUninstallKey, 0, KEY_WRITE, key.put());
    RegSetValueExW(key.get(), L"InstallLocation", 0, REG_DWORD, reinterpret_cast<BYTE*>(&number),
                   4);
    EXPECT_EQ(InstallDir(), fallback);
    SetString(HKEY_CURRENT_USER, kUninstallKey, L"InstallLocation", L"%TEMP%\\z", REG_EXPAND_SZ);
    EXPECT_EQ(InstallDir(), L"%TEMP%\\z");  // taken as it stands
}

// Any key or value written anywhere below HKEY_LOCAL_MACHINE signals the watch.
class MachineWatch {
public:
    MachineWatch() : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"", 0, KEY_NOTIFY, key_.put());
        armed_ = RegNotifyChangeKeyValue(key_.get(), TRUE,
                                         REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                                         event_.get(), TRUE) == ERROR_SUCCESS;
    }
    bool armed() const { return armed_; }
    // Signalled within the write that changes the key: asked once the writes are done.
    bool changed() const { return WaitForSingleObject(event_.get(), 0) == WAIT_OBJECT_0; }

private:
    UniqueHandle event_;
    UniqueKey key_;
    bool armed_ = false;
};

TEST_F(InstallTest, HklmStaysUntouchedExceptForTheSimulatedAdd) {
    {
        MachineWatch watch;
        ASSERT_TRUE(watch.armed());
        Install(true);
        Uninstall(true);
        RegisterMenu(OwnPath());
        UnregisterMenu();
        EXPECT_FALSE(watch.changed());
    }
    {
        MachineWatch watch;
        SetString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\ZerrowWatchProbe", L"", L"x");
        EXPECT_TRUE(watch.changed());  // the watch does see machine-wide writes
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\ZerrowWatchProbe");
    }
    // With a package found and an add that takes, only the class index appears
    // (what the stand-in simulates), and removal takes it away again.
    WriteBytes(dir / L"ZerrowShellExt.msix", "msix");
    SetString(HKEY_CURRENT_USER, kUninstallKey, L"InstallLocation", dir.path());
    EnvGuard add(L"ZRW_FAKE_PS_ADD", L"1");
    RegisterMenu(OwnPath());
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, ClassIndexKey()));
    UnregisterMenu();
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, ClassIndexKey()));
}

TEST(ProgramFolder, RemovedOnlyWhenItIsTheInstallFolderWithOnlyOwnFiles) {
    TempDir temp;
    const std::wstring folder = temp / L"Zerrow";
    WriteBytesDeep(folder + L"\\Zerrow.exe", "x");
    WriteBytes(folder + L"\\Varkle.dll", "x");
    WriteBytes(folder + L"\\ZerrowShellExt.msix", "x");
    WriteBytes(folder + L"\\zerrowshellext.CER", "x");
    std::wstring upper = folder;
    for (wchar_t& c : upper) c = towupper(c);
    EXPECT_TRUE(MayRemoveProgramFolder(folder, upper));
    EXPECT_FALSE(MayRemoveProgramFolder(folder, temp.path()));
    EXPECT_FALSE(MayRemoveProgramFolder(folder, L""));
    WriteBytes(folder + L"\\notes.txt", "mine");
    EXPECT_FALSE(MayRemoveProgramFolder(folder, folder));
    DeleteFileW((folder + L"\\notes.txt").c_str());
    CreateDirectoryW((folder + L"\\sub").c_str(), nullptr);
    EXPECT_FALSE(MayRemoveProgramFolder(folder, folder));
}

TEST(ProgramFolder, DeeperThanMaxPathIsStillInspected) {
    TempDir temp;
    std::wstring folder = temp.path();
    while (folder.size() < 300) folder += L"\\deeper-folder-name";
    ASSERT_TRUE(WriteBytesDeep(folder + L"\\Zerrow.exe", "x"));
    EXPECT_TRUE(MayRemoveProgramFolder(folder, folder));
    ASSERT_TRUE(WriteBytesDeep(folder + L"\\other.dat", "x"));
    EXPECT_FALSE(MayRemoveProgramFolder(folder, folder));
}

// The folder reaches cmd through a variable: its characters are never cmd syntax.
// (Wine's cmd expands a variable's value again, so a "%NAME%" inside cannot be shown here.)
TEST(ProgramFolder, SelfDeleteRemovesAFolderWhateverItsName) {
    std::wstring expected = L"/d /v:off /c ping -n 3 127.0.0.1 >nul";
    for (int i = 0; i < 6; ++i)
        expected += L" & rmdir /s /q \"%ZRW_REMOVE_FOLDER%\" & ping -n 4 127.0.0.1 >nul";
    EXPECT_EQ(SelfDeleteArguments(), expected);
    TempDir temp;
    EnvGuard trap(L"ZRW_TRAP", L"gone");
    const std::wstring folder = temp / L"Zerrow 100% & (x) ^!ZRW_TRAP!";
    WriteBytesDeep(folder + L"\\Zerrow.exe", "x");
    SelfDelete(folder);
    EXPECT_EQ(GetEnvironmentVariableW(L"ZRW_REMOVE_FOLDER", nullptr, 0), 0u);
    WaitUntil([&] { return !Exists(folder); }, 15000);
    EXPECT_FALSE(Exists(folder));
    // The remover keeps trying for a while (its pings wait out their time-outs
    // under Wine): ended here with what it started, once the folder is gone.
    for (const UniqueHandle& child : ChildProcesses(GetCurrentProcessId())) {
        TerminateProcess(child.get(), 0);
        for (const UniqueHandle& started : ChildProcesses(GetProcessId(child.get())))
            TerminateProcess(started.get(), 0);
        EXPECT_EQ(WaitForSingleObject(child.get(), 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    }
}

// The language changes, and the fixture puts it back.
using InstallMessageText = IsolatedTest;

TEST_F(InstallMessageText, NamesTheShortcutCountAndTheUninstallCommand) {
    const std::wstring zh = InstallMessage(0, L"x", PackagedOutcome::NoPackage);
    UiLang = kLangEn;
    ApplyLanguage();
    EXPECT_EQ(
        InstallMessage(2, L"C:\\Tools\\Zerrow.exe", PackagedOutcome::Registered),
        L"Ready (no install, no admin):\n\n· Right-click any file/folder → \"Copy to… / Move "
        L"to…\"\n"
        L"· Shortcuts added to desktop and Start menu: Zerrow Pro — Fast Copy  shortcuts (2)\n\n"
        L"Remove: Settings → Apps → Zerrow Pro — Fast Copy, or run C:\\Tools\\Zerrow.exe "
        L"--uninstall");
    EXPECT_NE(zh.find(L"已加 泽若 快速复制  快捷方式（0 个）\n\n移除：设置 → 应用 → 泽若 "
                      L"快速复制，或运行 x --uninstall"),
              std::wstring::npos);
}

TEST_F(InstallMessageText, SaysWhenTheWindows11EntryFellBackToTheClassicMenu) {
    const std::wstring plain = InstallMessage(2, L"C:\\Z.exe", PackagedOutcome::NoPackage);
    EXPECT_EQ(InstallMessage(2, L"C:\\Z.exe", PackagedOutcome::Registered), plain);
    EXPECT_EQ(
        InstallMessage(2, L"C:\\Z.exe", PackagedOutcome::AddFailed),
        plain +
            L"\n\nWindows 11 的新式右键菜单注册失败，已改用经典右键菜单（在「显示更多选项」里）。");
    UiLang = kLangEn;
    ApplyLanguage();
    const std::wstring untrusted = InstallMessage(2, L"C:\\Z.exe", PackagedOutcome::Untrusted);
    EXPECT_NE(
        untrusted.find(
            L"C:\\Z.exe --uninstall\n\nThe Windows 11 menu entry is not on: this computer does not "
            L"trust its certificate yet"),
        std::wstring::npos);
    EXPECT_NE(
        untrusted.find(L"imported ZerrowShellExt.cer into the computer's Trusted People store"),
        std::wstring::npos);
}

TEST(UninstallEntry, ValuesFollowTheProgramPath) {
    const auto values = UninstallValues(L"D:\\Tools\\Zerrow.exe");
    ASSERT_EQ(values.size(), 9u);
    const wchar_t* names[] = {L"DisplayName",          L"DisplayVersion",  L"Publisher",
                              L"DisplayIcon",          L"InstallLocation", L"UninstallString",
                              L"QuietUninstallString", L"NoModify",        L"NoRepair"};
    for (size_t i = 0; i < 9; ++i) EXPECT_EQ(values[i].name, names[i]);
    EXPECT_EQ(values[0].data, L"Zerrow Pro");
    EXPECT_EQ(values[1].data, L"1.0.1");
    EXPECT_EQ(values[2].data, L"Zerrow");
    EXPECT_EQ(values[3].data, L"D:\\Tools\\Zerrow.exe");
    EXPECT_EQ(values[4].data, L"D:\\Tools");
    EXPECT_EQ(values[5].data, L"\"D:\\Tools\\Zerrow.exe\" --uninstall");
    EXPECT_EQ(values[6].data, L"\"D:\\Tools\\Zerrow.exe\" --uninstall --quiet");
    EXPECT_EQ(values[7].data, L"1");
    EXPECT_EQ(values[8].data, L"1");
    EXPECT_EQ(UninstallValues(L"E:\\Zerrow.exe")[4].data, L"E:\\");
    EXPECT_EQ(FolderOf(L"Zerrow.exe"), L".");
    EXPECT_EQ(FolderOf(L"C:/a/b.exe"), L"C:/a");
}

// "--launcher" as a user meets it: the program runs on its own while this
// thread answers its dialogs one after another, each found by its caption.
struct Answer {
    std::wstring caption;
    int button;
};
struct LauncherRun {
    ProcessResult process;
    std::vector<std::wstring> captionsSeen;
    std::vector<std::wstring> buttonTexts;  // of the first dialog
};

LauncherRun RunLauncherAnswering(const std::vector<Answer>& answers) {
    LauncherRun run;
    std::thread program([&run] { run.process = RunZerrow({L"--launcher"}, 60000); });
    for (const Answer& answer : answers) {
        FoundWindow found = WaitForDialog(
            [&](HWND w) { return OfAChildProcess(w) && WindowText(w) == answer.caption; }, 30000);
        if (!found.window) break;
        run.captionsSeen.push_back(found.caption);
        if (run.buttonTexts.empty()) run.buttonTexts = ChildTexts(found.window, L"Button");
        // The close box, as a user cancels a dialog that has no Cancel button.
        if (answer.button == IDCANCEL) PostMessageW(found.window, WM_CLOSE, 0, 0);
        else PressButton(found.window, answer.button);
    }
    program.join();
    return run;
}

constexpr int kLinkInstall = 101, kLinkCopy = 102, kLinkRemove = 104;
const std::wstring kTitle = L"泽若 快速复制";  // the language is not applied before --launcher

TEST_F(Launcher, LauncherOffersFourChoicesAndCancelDoesNothing) {
    UnregisterMenu();
    LauncherRun run = RunLauncherAnswering({{kTitle, IDCANCEL}});
    ASSERT_EQ(run.captionsSeen.size(), 1u) << "no launcher dialog appeared";
    EXPECT_EQ(run.process.exitCode, 0u);
    EXPECT_FALSE(run.process.timedOut);
    const std::wstring all = [&] {
        std::wstring joined;
        for (const std::wstring& t : run.buttonTexts) joined += t + L"|";
        return joined;
    }();
    for (const wchar_t* part : {L"注册右键菜单", L"复制文件…", L"移动到…（剪切）", L"移除右键菜单"})
        EXPECT_NE(all.find(part), std::wstring::npos)
            << "missing " << WideToUtf8(part) << " in " << WideToUtf8(all);
    EXPECT_FALSE(IsMenuRegistered());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUninstallKey));
}

TEST_F(Launcher, LauncherCopyAsksForFilesAndACancelledPickerEndsQuietly) {
    LauncherRun run =
        RunLauncherAnswering({{kTitle, kLinkCopy}, {L"选择要复制/移动的文件（可多选）", IDCANCEL}});
    EXPECT_EQ(run.captionsSeen.size(), 2u);
    EXPECT_EQ(run.process.exitCode, 0u);
    EXPECT_FALSE(run.process.timedOut);
}

TEST_F(Launcher, LauncherInstallsThenRemoves) {
    LauncherRun installed = RunLauncherAnswering({{kTitle, kLinkInstall}, {L"泽若", IDOK}});
    EXPECT_EQ(installed.captionsSeen.size(), 2u) << "no ready message after installing";
    EXPECT_EQ(installed.process.exitCode, 0u);
    EXPECT_TRUE(IsMenuRegistered());
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kUninstallKey));
    for (const std::wstring& link : Links()) EXPECT_TRUE(Exists(link)) << WideToUtf8(link);

    // Removing the context menu keeps what its text says it keeps.
    LauncherRun removed = RunLauncherAnswering({{kTitle, kLinkRemove}, {L"泽若", IDOK}});
    EXPECT_EQ(removed.captionsSeen.size(), 2u) << "no message after removing";
    EXPECT_EQ(removed.process.exitCode, 0u);
    EXPECT_FALSE(IsMenuRegistered());
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kUninstallKey));
    for (const std::wstring& link : Links()) EXPECT_TRUE(Exists(link)) << WideToUtf8(link);
    EXPECT_TRUE(Exists(ZerrowExe()));
}

}  // namespace
}  // namespace zrw::test
