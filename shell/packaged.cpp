// The Windows 11 menu entry: its package and certificate, added and removed through PowerShell.
#include "app/process.h"
#include "shell/shell.h"
#include "zerrow_ids.h"

#include <string_view>

namespace zrw {

namespace {

constexpr wchar_t kClassIndex[] = L"SOFTWARE\\Classes\\PackagedCom\\ClassIndex\\";
constexpr wchar_t kPowerShell[] = L"WindowsPowerShell\\v1.0\\powershell.exe";
constexpr DWORD kPowerShellWaitMs = 60000;
// A failing cmdlet ends the script with exit code 1 instead of running on.
constexpr wchar_t kStopOnError[] = L"$ErrorActionPreference = 'Stop'; ";

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring RemovePackageScript() {
    return std::wstring(L"Get-AppxPackage ") + kPackageName + L" | Remove-AppxPackage";
}

std::wstring ThumbprintOf(const std::wstring& cer) {
    return L"$t = (Get-PfxCertificate -LiteralPath " + PsQuote(cer) + L").Thumbprint; ";
}

}  // namespace

std::wstring PsQuote(const std::wstring& text) {
    // PowerShell ends a single-quoted string at any of these five, and reads each doubled
    // one as itself.
    constexpr std::wstring_view kSingleQuotes = L"'\u2018\u2019\u201A\u201B";
    std::wstring out = L"'";
    for (wchar_t c : text) {
        if (kSingleQuotes.find(c) != std::wstring_view::npos) out += c;
        out += c;
    }
    return out + L"'";
}

std::wstring PowerShellArguments(const std::wstring& script) {
    return L"-NoProfile -NonInteractive -ExecutionPolicy Bypass -Command " + QuoteArgument(script);
}

std::wstring AddPackageScript(const std::wstring& msix, const std::wstring& cer) {
    std::wstring script = kStopOnError;
    // Windows trusts a sideloaded package only through the computer's stores, which only an
    // administrator can fill; without that the add would fail, so it is not tried.
    if (!cer.empty()) {
        script +=
            ThumbprintOf(cer) +
            L"if (-not (Test-Path -LiteralPath ('Cert:\\LocalMachine\\TrustedPeople\\' + $t)) "
            L"-and -not (Test-Path -LiteralPath ('Cert:\\LocalMachine\\Root\\' + $t))) { exit " +
            std::to_wstring(kUntrustedExitCode) + L" }; ";
    }
    // An earlier copy goes first, in the same run, once the add can be tried at all.
    return script + RemovePackageScript() + L"; Add-AppxPackage -Path " + PsQuote(msix);
}

std::wstring RemoveCertificateScript(const std::wstring& cer) {
    return kStopOnError + ThumbprintOf(cer) +
           L"Get-ChildItem -LiteralPath 'Cert:\\CurrentUser\\TrustedPeople' | "
           L"Where-Object { $_.Thumbprint -eq $t } | Remove-Item";
}

PackageFiles FindPackageFiles() {
    std::wstring exe;
    if (!ModulePath(nullptr, exe)) return {};
    std::wstring folder = FolderOf(exe);
    if (!FileExists(folder + L"\\" + kPackageFile)) {
        const std::wstring installDir = InstallDir();
        if (installDir.empty() || !FileExists(installDir + L"\\" + kPackageFile)) return {};
        folder = installDir;
    }
    // A drive root keeps its separator.
    const std::wstring base = folder.back() == L'\\' ? folder : folder + L"\\";
    const std::wstring cer = base + kCertificateFile;
    return {base + kPackageFile, FileExists(cer) ? cer : std::wstring()};
}

int32_t RunPowerShell(const std::wstring& script) {
    UniqueHandle process = StartHidden(SystemProgram(kPowerShell), PowerShellArguments(script));
    if (!process) return -1;
    DWORD result = 1;
    // A run that hangs is abandoned, not killed: the package manager may still be at work.
    WaitForSingleObject(process.get(), kPowerShellWaitMs);
    GetExitCodeProcess(process.get(), &result);
    return static_cast<int32_t>(result);
}

bool IsPackagedCommandRegistered() {
    UniqueKey key;
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE,
                         (std::wstring(kClassIndex) + ZERROW_ROOT_CLSID_TEXT).c_str(), 0, KEY_READ,
                         key.put()) == ERROR_SUCCESS;
}

void RemovePackagedCommand() {
    if (!IsPackagedCommandRegistered()) return;
    RunPowerShell(RemovePackageScript());
}

PackagedOutcome RegisterPackagedCommand() {
    const PackageFiles files = FindPackageFiles();
    if (files.msix.empty()) return PackagedOutcome::NoPackage;
    const int32_t added = RunPowerShell(AddPackageScript(files.msix, files.cer));
    if (added == kUntrustedExitCode) return PackagedOutcome::Untrusted;
    return added == 0 && IsPackagedCommandRegistered() ? PackagedOutcome::Registered
                                                       : PackagedOutcome::AddFailed;
}

}  // namespace zrw
