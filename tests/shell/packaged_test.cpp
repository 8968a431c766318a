// The Windows 11 entry's PowerShell scripts and their quoting.
#include "shell/shell.h"
#include "tests/shell/registry.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

namespace zrw::test {
namespace {

const std::wstring kStop = L"$ErrorActionPreference = 'Stop'; ";
const std::wstring kReplace =
    L"Get-AppxPackage ZerrowShellExt | Remove-AppxPackage; Add-AppxPackage -Path '";
const std::wstring kRemoveLine =
    PowerShellLine(L"Get-AppxPackage ZerrowShellExt | Remove-AppxPackage");

// The add as PowerShell receives it; paths are given as they must appear, quotes doubled.
std::wstring AddLine(const std::wstring& msix, const std::wstring& cer = L"") {
    std::wstring script = kStop;
    if (!cer.empty()) {
        script += L"$t = (Get-PfxCertificate -LiteralPath '" + cer +
                  L"').Thumbprint; if (-not (Test-Path -LiteralPath "
                  L"('Cert:\\LocalMachine\\TrustedPeople\\' + $t)) "
                  L"-and -not (Test-Path -LiteralPath ('Cert:\\LocalMachine\\Root\\' + $t))) { "
                  L"exit 2 }; ";
    }
    return PowerShellLine(script + kReplace + msix + L"'");
}

// The test program's own folder holds no package, so the installation folder
// named by the uninstall entry is where the files are found.
class PackagedCommand : public ShellTest {
protected:
    std::wstring PutPackage(const std::wstring& name, bool withCertificate) {
        const std::wstring folder = dir / name;
        WriteBytesDeep(folder + L"\\ZerrowShellExt.msix", "msix");
        if (withCertificate) WriteBytes(folder + L"\\ZerrowShellExt.cer", "cer");
        SetString(HKEY_CURRENT_USER, kUninstallKey, L"InstallLocation", folder);
        return folder;
    }
};

TEST_F(PackagedCommand, NoPackageAnywhereRunsNothing) {
    EnvGuard add(L"ZRW_FAKE_PS_ADD", L"1");
    EXPECT_EQ(RegisterPackagedCommand(), PackagedOutcome::NoPackage);
    SetString(HKEY_CURRENT_USER, kUninstallKey, L"InstallLocation", dir.path());
    WriteBytes(dir / L"ZerrowShellExt.cer", "cer");  // a certificate alone is not enough
    EXPECT_EQ(RegisterPackagedCommand(), PackagedOutcome::NoPackage);
    EXPECT_FALSE(Exists(logPath));
}

TEST_F(PackagedCommand, TrustCheckRemovalAndAddAreOneRunAndTheClassIndexDecides) {
    const std::wstring folder = PutPackage(L"pkg", true);
    SetString(HKEY_LOCAL_MACHINE, ClassIndexKey(), L"", L"");  // an earlier copy is listed
    EnvGuard add(L"ZRW_FAKE_PS_ADD", L"1");
    EXPECT_EQ(RegisterPackagedCommand(), PackagedOutcome::Registered);
    const std::vector<std::wstring> expected{
        AddLine(folder + L"\\ZerrowShellExt.msix", folder + L"\\ZerrowShellExt.cer")};
    EXPECT_EQ(PowerShellRuns(), expected);

    EnvGuard noAdd(L"ZRW_FAKE_PS_ADD", nullptr);  // exits 0 but registers nothing
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, ClassIndexKey().c_str());
    EXPECT_EQ(RegisterPackagedCommand(), PackagedOutcome::AddFailed);
}

TEST_F(PackagedCommand, MissingCertificateSkipsOnlyTheTrustCheck) {
    const std::wstring folder = PutPackage(L"pkg", false);
    EnvGuard add(L"ZRW_FAKE_PS_ADD", L"1");
    EXPECT_EQ(RegisterPackagedCommand(), PackagedOutcome::Registered);
    EXPECT_EQ(PowerShellRuns(),
              std::vector<std::wstring>{AddLine(folder + L"\\ZerrowShellExt.msix")});
}

// Each of PowerShell's five single quotes, followed by code, in a folder name.
TEST_F(PackagedCommand, AnySingleQuoteInTheFolderStaysInsideTheString) {
    const wchar_t quotes[] = {L'\'', L'\u2018', L'\u2019', L'\u201A', L'\u201B'};
    std::vector<std::wstring> expected;
    for (wchar_t q : quotes) {
        const std::wstring name = std::wstring(L"My ") + q + L"; Remove-Item C:\\x; " + q;
        const std::wstring doubled =
            std::wstring(L"My ") + q + q + L"; Remove-Item C:\\x; " + q + q;
        PutPackage(name, false);
        RegisterPackagedCommand();
        expected.push_back(AddLine(dir.path() + L"\\" + doubled + L"\\ZerrowShellExt.msix"));
    }
    EXPECT_EQ(PowerShellRuns(), expected);
}

TEST(PowerShellQuoting, SingleQuotedStringsDoubleAllFiveQuotes) {
    EXPECT_EQ(PsQuote(L""), L"''");
    EXPECT_EQ(PsQuote(L"C:\\a b\\"), L"'C:\\a b\\'");
    EXPECT_EQ(PsQuote(L"a'; x; '"), L"'a''; x; '''");
    EXPECT_EQ(PsQuote(L"\u2018\u2019\u201A\u201B\"$(x)`"),
              L"'\u2018\u2018\u2019\u2019\u201A\u201A\u201B\u201B\"$(x)`'");
}

TEST(PowerShellQuoting, TheScriptIsOneArgumentByTheCommandLineRules) {
    EXPECT_EQ(QuoteArgument(L""), L"\"\"");
    EXPECT_EQ(QuoteArgument(L"a b"), L"\"a b\"");
    EXPECT_EQ(QuoteArgument(L"C:\\a\\b"), L"\"C:\\a\\b\"");
    EXPECT_EQ(QuoteArgument(L"C:\\a\\"), L"\"C:\\a\\\\\"");  // doubled before the closing quote
    EXPECT_EQ(QuoteArgument(L"x\\\\"), L"\"x\\\\\\\\\"");
    EXPECT_EQ(QuoteArgument(L"say \"hi\""), L"\"say \\\"hi\\\"\"");
    EXPECT_EQ(QuoteArgument(L"a\\\"b"),
              L"\"a\\\\\\\"b\"");  // a\"b: backslash doubled, quote escaped
    EXPECT_EQ(PowerShellArguments(L"exit 0"),
              L"-NoProfile -NonInteractive -ExecutionPolicy Bypass -Command \"exit 0\"");
}

TEST_F(PackagedCommand, RegisterMenuWritesOnlyExePathWhenTheAddTook) {
    PutPackage(L"pkg", true);
    EnvGuard add(L"ZRW_FAKE_PS_ADD", L"1");
    EXPECT_EQ(RegisterMenu(L"C:\\Tools\\Zerrow.exe"), PackagedOutcome::Registered);
    const auto settings = Values(HKEY_CURRENT_USER, L"Software\\Zerrow");
    ASSERT_EQ(settings.count(L"ExePath"), 1u);
    EXPECT_EQ(settings.at(L"ExePath").text, L"C:\\Tools\\Zerrow.exe");
    EXPECT_EQ(settings.at(L"ExePath").type, static_cast<DWORD>(REG_SZ));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Software\\Classes\\*\\shell\\Zerrow.Copy"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Software\\Classes\\Directory\\shell\\Zerrow.Move"));
    EXPECT_TRUE(IsMenuRegistered());

    UnregisterMenu();  // the class is listed, so the package is removed
    EXPECT_EQ(PowerShellRuns().back(), kRemoveLine);
    EXPECT_FALSE(IsPackagedCommandRegistered());
    EXPECT_EQ(Values(HKEY_CURRENT_USER, L"Software\\Zerrow").count(L"ExePath"), 1u);
}

// A certificate the computer does not trust (exit code 2) or an add that fails:
// no further run, no class, and the classic verbs in its place.
TEST_F(PackagedCommand, UntrustedOrFailedAddFallsBackToTheVerbsAfterOneRun) {
    const std::wstring folder = PutPackage(L"pkg", true);
    EnvGuard add(L"ZRW_FAKE_PS_ADD", L"1");
    const std::pair<const wchar_t*, PackagedOutcome> cases[] = {{L"2", PackagedOutcome::Untrusted},
                                                                {L"1", PackagedOutcome::AddFailed}};
    for (const auto& [exitCode, outcome] : cases) {
        SCOPED_TRACE(WideToUtf8(exitCode));
        DeleteFileW(logPath.c_str());
        EnvGuard code(L"ZRW_FAKE_PS_EXIT", exitCode);
        EXPECT_EQ(RegisterMenu(L"C:\\Tools\\Zerrow.exe"), outcome);
        EXPECT_EQ(PowerShellRuns(),
                  std::vector<std::wstring>{AddLine(folder + L"\\ZerrowShellExt.msix",
                                                    folder + L"\\ZerrowShellExt.cer")});
        EXPECT_FALSE(IsPackagedCommandRegistered());
        EXPECT_TRUE(
            KeyExists(HKEY_CURRENT_USER, L"Software\\Classes\\*\\shell\\Zerrow.Copy\\command"));
        EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER,
                              L"Software\\Classes\\Directory\\shell\\Zerrow.Move\\command"));
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Software\\Zerrow"));
    }
}

TEST_F(PackagedCommand, RemoveRunsNothingWhenTheClassIsNotListed) {
    RemovePackagedCommand();
    EXPECT_FALSE(Exists(logPath));
}

TEST_F(PackagedCommand, RunPowerShellGivesTheExitCodeOrMinusOne) {
    EXPECT_EQ(RunPowerShell(L"exit 0"), 0);
    {
        EnvGuard code(L"ZRW_FAKE_PS_EXIT", L"7");
        EXPECT_EQ(RunPowerShell(L"exit 7"), 7);
    }
    EXPECT_EQ(PowerShellRuns(),
              (std::vector<std::wstring>{PowerShellLine(L"exit 0"), PowerShellLine(L"exit 7")}));
    // Taken from its full path only: with nothing there, nothing runs.
    MachineLock systemPowerShell;
    const std::wstring parked = std::wstring(kSystemPowerShell) + L".parked";
    ASSERT_TRUE(MoveFileW(kSystemPowerShell, parked.c_str()));
    const int32_t result = RunPowerShell(L"exit 0");
    ASSERT_TRUE(MoveFileW(parked.c_str(), kSystemPowerShell));
    EXPECT_EQ(result, -1);
}

}  // namespace
}  // namespace zrw::test
