#include "app/app.h"
#include "shell/shell.h"
#include "tests/shell/registry.h"
#include "tests/support/support.h"

#include <gtest/gtest.h>

namespace zrw::test {
namespace {

const std::wstring kPrefix = L"powershell -NoProfile -ExecutionPolicy Bypass -Command \"";

std::wstring ImportLine(const std::wstring& cer) {
    return kPrefix + L"Import-Certificate -FilePath '" + cer +
           L"' -CertStoreLocation Cert:\\CurrentUser\\TrustedPeople | Out-Null\"";
}
const std::wstring kRemoveLine = kPrefix + L"Get-AppxPackage ZerrowShellExt | Remove-AppxPackage\"";
std::wstring AddLine(const std::wstring& msix) { return kPrefix + L"Add-AppxPackage -Path '" + msix + L"'\""; }

// The test program's own folder holds no package, so the installation folder
// named by the uninstall entry is where the files are found.
class PackagedCommand : public ::testing::Test, public ShellTest {
protected:
    std::wstring PutPackage(const std::wstring& name, bool withCertificate) {
        const std::wstring folder = temp_ / name;
        WriteBytesDeep(folder + L"\\ZerrowShellExt.msix", "msix");
        if (withCertificate) WriteBytes(folder + L"\\ZerrowShellExt.cer", "cer");
        SetString(HKEY_CURRENT_USER, kUninstallKey, L"InstallLocation", folder);
        return folder;
    }
    TempDir temp_;
};

TEST_F(PackagedCommand, NoPackageAnywhereRunsNothing) {
    SetEnvironmentVariableW(L"ZRW_FAKE_PS_ADD", L"1");
    EXPECT_FALSE(RegisterPackagedCommand());
    SetString(HKEY_CURRENT_USER, kUninstallKey, L"InstallLocation", temp_.path());
    WriteBytes(temp_ / L"ZerrowShellExt.cer", "cer");  // a certificate alone is not enough
    EXPECT_FALSE(RegisterPackagedCommand());
    EXPECT_FALSE(Exists(logPath));
}

TEST_F(PackagedCommand, ImportsThenAddsAndTheClassIndexDecides) {
    const std::wstring folder = PutPackage(L"pkg", true);
    EXPECT_FALSE(RegisterPackagedCommand());  // the stand-in does not add: no class listed
    EXPECT_EQ(PowerShellRuns(), (std::vector<std::wstring>{
                                    ImportLine(folder + L"\\ZerrowShellExt.cer"),
                                    AddLine(folder + L"\\ZerrowShellExt.msix")}));
}

TEST_F(PackagedCommand, ListedPackageIsRemovedBeforeTheAdd) {
    const std::wstring folder = PutPackage(L"pkg", true);
    SetString(HKEY_LOCAL_MACHINE, ClassIndexKey(), L"", L"");
    SetEnvironmentVariableW(L"ZRW_FAKE_PS_ADD", L"1");
    EXPECT_TRUE(RegisterPackagedCommand());
    EXPECT_EQ(PowerShellRuns(),
              (std::vector<std::wstring>{ImportLine(folder + L"\\ZerrowShellExt.cer"), kRemoveLine,
                                         AddLine(folder + L"\\ZerrowShellExt.msix")}));
}

TEST_F(PackagedCommand, MissingCertificateSkipsOnlyTheImport) {
    const std::wstring folder = PutPackage(L"pkg", false);
    SetEnvironmentVariableW(L"ZRW_FAKE_PS_ADD", L"1");
    EXPECT_TRUE(RegisterPackagedCommand());
    EXPECT_EQ(PowerShellRuns(),
              std::vector<std::wstring>{AddLine(folder + L"\\ZerrowShellExt.msix")});
}

TEST_F(PackagedCommand, BlanksAndSingleQuotesInTheFolderStayInsideTheString) {
    const std::wstring blank = PutPackage(L"My Tools", false);
    RegisterPackagedCommand();
    const std::wstring quote = PutPackage(L"O'Neil's", false);
    RegisterPackagedCommand();
    const std::wstring quoted = temp_.path() + L"\\O''Neil''s\\ZerrowShellExt.msix";
    EXPECT_EQ(PowerShellRuns(), (std::vector<std::wstring>{
                                    AddLine(blank + L"\\ZerrowShellExt.msix"), AddLine(quoted)}));
    EXPECT_EQ(PsQuote(L"a'; Remove-Item x; '"), L"'a''; Remove-Item x; '''");
}

TEST_F(PackagedCommand, RegisterMenuWritesOnlyExePathWhenTheAddTook) {
    const std::wstring folder = PutPackage(L"pkg", true);
    SetEnvironmentVariableW(L"ZRW_FAKE_PS_ADD", L"1");
    RegisterMenu(L"C:\\Tools\\Zerrow.exe");
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

TEST_F(PackagedCommand, RemoveRunsNothingWhenTheClassIsNotListed) {
    RemovePackagedCommand();
    EXPECT_FALSE(Exists(logPath));
}

TEST_F(PackagedCommand, RunPowerShellGivesTheExitCodeOrMinusOne) {
    EXPECT_EQ(RunPowerShell(L"exit 0"), 0);
    SetEnvironmentVariableW(L"ZRW_FAKE_PS_EXIT", L"7");
    EXPECT_EQ(RunPowerShell(L"exit 7"), 7);
    SetEnvironmentVariableW(L"ZRW_FAKE_PS_EXIT", nullptr);
    EXPECT_EQ(PowerShellRuns(),
              (std::vector<std::wstring>{kPrefix + L"exit 0\"", kPrefix + L"exit 7\""}));
    wchar_t path[32768];
    GetEnvironmentVariableW(L"PATH", path, 32768);
    SetEnvironmentVariableW(L"PATH", L"Z:\\nonexistent");
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    // The stand-in lies on the search path only, not in the system folder itself.
    ASSERT_FALSE(Exists(std::wstring(system) + L"\\powershell.exe"));
    const int32_t result = RunPowerShell(L"exit 0");
    SetEnvironmentVariableW(L"PATH", path);
    EXPECT_EQ(result, -1);
}

}  // namespace
}  // namespace zrw::test
