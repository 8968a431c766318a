// Install and uninstall for the current user: shortcuts, the uninstall entry, the program folder.
#include "app/lang.h"
#include "app/process.h"
#include "base/walk.h"
#include "shell/shell.h"
#include "zerrow_ids.h"

#include <shlobj.h>

namespace zrw {

namespace {

// Everything an installation folder may hold for uninstall to remove it.
constexpr const wchar_t* kOwnFiles[] = {L"Zerrow.exe", L"Zerrow.exe.old", L"Varkle.dll",
                                        kPackageFile, kCertificateFile};

bool SameText(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool IsOwnFile(const wchar_t* name) {
    for (const wchar_t* own : kOwnFiles) {
        if (SameText(name, own)) return true;
    }
    return false;
}

std::wstring KnownFolder(REFKNOWNFOLDERID id) {
    PWSTR raw = nullptr;
    std::wstring path;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &raw))) path = raw;
    CoTaskMemFree(raw);
    return path;
}

std::wstring ShortcutDescription() {
    return Tr(L"泽若 — vozi（Windows 自带 robocopy）多线程复制/剪切");
}

}  // namespace

std::wstring FolderOf(const std::wstring& path) {
    const size_t cut = path.find_last_of(L"\\/");
    if (cut == std::wstring::npos) return L".";
    if (cut == 2 && path[1] == L':') return path.substr(0, 3);
    return path.substr(0, cut);
}

std::vector<RegValue> UninstallValues(const std::wstring& exe) {
    const std::wstring quoted = L"\"" + exe + L"\"";
    const std::wstring key = kUninstallKey;
    return {
        {key, L"DisplayName", L"Zerrow Pro"},
        {key, L"DisplayVersion", ZERROW_VERSION_TEXT},
        {key, L"Publisher", L"Zerrow"},
        {key, L"DisplayIcon", exe},
        {key, L"InstallLocation", FolderOf(exe)},
        {key, L"UninstallString", quoted + L" --uninstall"},
        {key, L"QuietUninstallString", quoted + L" --uninstall --quiet"},
        {key, L"NoModify", L"1"},
        {key, L"NoRepair", L"1"},
    };
}

bool MayRemoveProgramFolder(const std::wstring& folder, const std::wstring& installDir) {
    if (folder.empty() || !SameText(folder, installDir)) return false;
    // Folders below the installation may be deeper than MAX_PATH: the listing takes long paths.
    return ListFolder(folder, [](const WIN32_FIND_DATAW& entry) {
        return !(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsOwnFile(entry.cFileName);
    });
}

std::wstring InstallMessage(int shortcuts, const std::wstring& exe, PackagedOutcome packaged) {
    std::wstring note;
    if (packaged == PackagedOutcome::Untrusted) {
        note =
            Tr(L"\n\nWindows 11 "
               L"的新式右键菜单没有启用：本机还不信任它的证书，所以用的是经典右键菜单（在「显示更多"
               L"选项」里）。"
               L"管理员把 ZerrowShellExt.cer "
               L"导入本机的「受信任人」存储一次后，再注册一次右键菜单即可。");
    } else if (packaged == PackagedOutcome::AddFailed) {
        note = Tr(
            L"\n\nWindows 11 的新式右键菜单注册失败，已改用经典右键菜单（在「显示更多选项」里）。");
    }
    return Tr(L"已就绪（免安装、免管理员）：\n\n· 右键任意文件/文件夹 →「复制到… / 移动到…」\n· "
              L"桌面和开始菜单已加 ") +
           g_appTitle + Tr(L"  快捷方式（") + std::to_wstring(shortcuts) + Tr(L" 个）\n\n") +
           Tr(L"移除：设置 → 应用 → ") + g_appTitle + Tr(L"，或运行 ") + exe + L" --uninstall" +
           note;
}

std::wstring SelfDeleteArguments() {
    // No AutoRun commands, no delayed expansion: "!" in the folder stays a character.
    const std::wstring removal = std::wstring(L"rmdir /s /q \"%") + kRemoveFolderVariable + L"%\"";
    std::wstring arguments = L"/d /v:off /c ping -n 3 127.0.0.1 >nul";
    for (int i = 0; i < 6; ++i) arguments += L" & " + removal + L" & ping -n 4 127.0.0.1 >nul";
    return arguments;
}

std::wstring RegisteredInstallDir() {
    wchar_t buffer[2048] = {};
    DWORD bytes = sizeof(buffer) - sizeof(wchar_t);  // room for a terminator the value may lack
    DWORD type = 0;
    UniqueKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kUninstallKey, 0, KEY_READ, key.put()) == ERROR_SUCCESS &&
        RegQueryValueExW(key.get(), L"InstallLocation", nullptr, &type,
                         reinterpret_cast<BYTE*>(buffer), &bytes) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        return buffer;
    }
    return std::wstring();
}

std::wstring InstallDir() {
    std::wstring registered = RegisteredInstallDir();
    if (!registered.empty()) return registered;
    const std::wstring local = KnownFolder(FOLDERID_LocalAppData);
    return local.empty() ? std::wstring() : local + L"\\Programs\\Zerrow";
}

std::vector<std::wstring> ShortcutPaths() {
    const std::wstring name = L"\\" + g_appTitle + L".lnk";
    std::vector<std::wstring> paths;
    for (REFKNOWNFOLDERID id : {FOLDERID_Desktop, FOLDERID_Programs}) {
        const std::wstring folder = KnownFolder(id);
        if (!folder.empty()) paths.push_back(folder + name);
    }
    return paths;
}

bool CreateShortcut(const std::wstring& link, const std::wstring& target,
                    const std::wstring& arguments) {
    ComPtr<IShellLinkW> shellLink;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                shellLink.put_void()))) {
        return false;
    }
    shellLink->SetPath(target.c_str());
    shellLink->SetArguments(arguments.c_str());
    shellLink->SetWorkingDirectory(FolderOf(target).c_str());
    shellLink->SetDescription(ShortcutDescription().c_str());
    ComPtr<IPersistFile> file;
    if (FAILED(shellLink->QueryInterface(IID_IPersistFile, file.put_void()))) return false;
    return SUCCEEDED(file->Save(link.c_str(), TRUE));
}

void SelfDelete(const std::wstring& folder) {
    // The remover inherits the variable; this process has it only while it starts one.
    SetEnvironmentVariableW(kRemoveFolderVariable, folder.c_str());
    StartHidden(SystemProgram(L"cmd.exe"), SelfDeleteArguments());  // not waited for
    SetEnvironmentVariableW(kRemoveFolderVariable, nullptr);
}

int Install(bool quiet) {
    // A program path that does not fit is not written anywhere: a cut path would name
    // another file, and uninstall would later trust its folder.
    std::wstring exe;
    const bool haveExe = ModulePath(nullptr, exe);
    int made = 0;
    PackagedOutcome packaged = PackagedOutcome::NoPackage;
    if (haveExe) {
        packaged = RegisterMenu(exe);
        for (const std::wstring& link : ShortcutPaths()) {
            if (CreateShortcut(link, exe, L"")) ++made;
        }
        for (const RegValue& value : UninstallValues(exe)) WriteUserString(value);
    }
    if (!quiet) {
        MessageBoxW(nullptr, InstallMessage(made, exe, packaged).c_str(), g_productName.c_str(),
                    MB_OK | MB_ICONINFORMATION);
    }
    return 0;
}

int Uninstall(bool quiet) {
    std::wstring exe;
    const bool haveExe = ModulePath(nullptr, exe);
    // Both read while the uninstall entry still names the installation folder.
    const std::wstring installDir = InstallDir();
    const PackageFiles package = FindPackageFiles();
    UnregisterMenu();
    for (const std::wstring& link : ShortcutPaths()) DeleteFileW(link.c_str());
    RegDeleteTreeW(HKEY_CURRENT_USER, kUninstallKey);
    if (!package.cer.empty()) RunPowerShell(RemoveCertificateScript(package.cer));
    const std::wstring folder = haveExe ? FolderOf(exe) : std::wstring();
    const bool removed = MayRemoveProgramFolder(folder, installDir);
    if (!quiet) {
        const std::wstring text =
            removed ? Tr(L"已卸载：右键菜单、快捷方式和程序文件都已删除。")
                    : Tr(L"已卸载：右键菜单和快捷方式已清除（程序文件不在安装目录，未动）。");
        MessageBoxW(nullptr, text.c_str(), g_productName.c_str(), MB_OK | MB_ICONINFORMATION);
    }
    // Last: the folder can go only once this program has ended, right after the message.
    if (removed) SelfDelete(folder);
    return 0;
}

}  // namespace zrw
