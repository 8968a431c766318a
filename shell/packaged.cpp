#include "app/app.h"
#include "shell/shell.h"
#include "zerrow_ids.h"

namespace zrw {

namespace {

constexpr wchar_t kClassIndex[] = L"SOFTWARE\\Classes\\PackagedCom\\ClassIndex\\";
constexpr DWORD kPowerShellWaitMs = 60000;

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

std::wstring PsQuote(const std::wstring& text) {
    std::wstring out = L"'";
    for (wchar_t c : text) {
        if (c == L'\'') out += L'\'';
        out += c;
    }
    return out + L"'";
}

std::wstring PowerShellCommandLine(const std::wstring& script) {
    return L"powershell -NoProfile -ExecutionPolicy Bypass -Command \"" + script + L"\"";
}

std::wstring ImportCertificateScript(const std::wstring& cer) {
    return L"Import-Certificate -FilePath " + PsQuote(cer) +
           L" -CertStoreLocation Cert:\\CurrentUser\\TrustedPeople | Out-Null";
}

std::wstring AddPackageScript(const std::wstring& msix) {
    return L"Add-AppxPackage -Path " + PsQuote(msix);
}

int32_t RunPowerShell(const std::wstring& script) {
    std::wstring commandLine = PowerShellCommandLine(script);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &info)) {
        return -1;
    }
    UniqueHandle process(info.hProcess);
    CloseHandle(info.hThread);
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
    RunPowerShell(std::wstring(L"Get-AppxPackage ") + kPackageName + L" | Remove-AppxPackage");
}

bool RegisterPackagedCommand() {
    std::wstring exe;
    if (!ModulePath(nullptr, exe)) return false;
    std::wstring folder = FolderOf(exe);
    if (!FileExists(folder + L"\\" + kPackageFile)) {
        const std::wstring installDir = InstallDir();
        if (!installDir.empty() && FileExists(installDir + L"\\" + kPackageFile)) folder = installDir;
    }
    // A drive root keeps its separator.
    const std::wstring base = folder.back() == L'\\' ? folder : folder + L"\\";
    const std::wstring msix = base + kPackageFile;
    const std::wstring cer = base + kCertificateFile;
    if (!FileExists(msix)) return false;
    if (FileExists(cer)) RunPowerShell(ImportCertificateScript(cer));
    RemovePackagedCommand();
    RunPowerShell(AddPackageScript(msix));
    return IsPackagedCommandRegistered();
}

}  // namespace zrw
