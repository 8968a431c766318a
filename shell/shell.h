// Context-menu verbs, the packaged Explorer command, install and uninstall.
#ifndef ZERROW_SHELL_SHELL_H
#define ZERROW_SHELL_SHELL_H

#include "app/win.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zrw {

// ---- Context-menu verbs ------------------------------------------------------------------

struct MenuVerb {
    const wchar_t* key;    // verb key name under ...\shell
    const wchar_t* label;  // written in Chinese in both interface languages
    const wchar_t* word;   // the transfer word on the command line
};
inline constexpr MenuVerb kMenuVerbs[] = {
    {L"Zerrow.Copy", L"复制到…", L"copy"},
    {L"Zerrow.Move", L"剪切到…", L"move"},
};
inline constexpr const wchar_t* kMenuRoots[] = {L"*", L"Directory"};

// One string value under HKEY_CURRENT_USER; an empty name is the default value.
struct RegValue {
    std::wstring key;
    std::wstring name;
    std::wstring data;
};

// The name up to its first ".", or the whole name.
std::wstring VerbPrefix(const std::wstring& verbKey);
// Every value the classic verbs consist of, in the order they are written.
std::vector<RegValue> MenuValues(const std::wstring& exe);
// Creates or opens the key, sets the one value, closes the key.
bool WriteUserString(const RegValue& value);

void RegisterMenu(const std::wstring& exe);
void UnregisterMenu();
bool IsMenuRegistered();

// ---- Packaged Explorer command -------------------------------------------------------

inline constexpr wchar_t kPackageName[] = L"ZerrowShellExt";
inline constexpr wchar_t kPackageFile[] = L"ZerrowShellExt.msix";
inline constexpr wchar_t kCertificateFile[] = L"ZerrowShellExt.cer";

// A path as a single-quoted PowerShell string, taken literally whatever it holds.
std::wstring PsQuote(const std::wstring& text);
std::wstring PowerShellCommandLine(const std::wstring& script);
std::wstring ImportCertificateScript(const std::wstring& cer);
std::wstring AddPackageScript(const std::wstring& msix);

// The process's exit code, or -1 when it could not be started.
int32_t RunPowerShell(const std::wstring& script);
bool IsPackagedCommandRegistered();
void RemovePackagedCommand();
bool RegisterPackagedCommand();

// ---- Install and uninstall ------------------------------------------------------------

// The path up to its last separator; a drive root keeps it; no separator gives ".".
std::wstring FolderOf(const std::wstring& path);
// The uninstall entry's nine values, in the order they are written.
std::vector<RegValue> UninstallValues(const std::wstring& exe);
inline constexpr wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zerrow";
// True when folder is the installation folder and holds nothing but the program's own files.
bool MayRemoveProgramFolder(const std::wstring& folder, const std::wstring& installDir);
std::wstring SelfDeleteCommand(const std::wstring& folder);
// The text install shows when it is not quiet.
std::wstring InstallMessage(int shortcuts, const std::wstring& exe);

std::wstring InstallDir();
std::vector<std::wstring> ShortcutPaths();
bool CreateShortcut(const std::wstring& link, const std::wstring& target,
                    const std::wstring& arguments);
void SelfDelete(const std::wstring& folder);
int Install(bool quiet);
int Uninstall(bool quiet);
int RunLauncher(HWND owner);

}  // namespace zrw

#endif
