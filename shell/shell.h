// Context-menu verbs, the packaged Explorer command, install and uninstall.
#ifndef ZERROW_SHELL_SHELL_H
#define ZERROW_SHELL_SHELL_H

#include "base/win.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zrw {

// ---- Child processes ----------------------------------------------------------------------

// A program of the system folder by its path below it ("cmd.exe"); empty when the
// system folder cannot be read.
std::wstring SystemProgram(const std::wstring& relative);
// One argument as CommandLineToArgvW reads it back: quoted, backslashes before a quote
// or the closing quote doubled, quotes escaped.
std::wstring QuoteArgument(const std::wstring& text);
// Starts a hidden program by its full path, never found through a search, with the
// system folder as its current directory; null when it could not be started.
UniqueHandle StartHidden(const std::wstring& program, const std::wstring& arguments);

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

// Why the classic verbs were written instead of the packaged command, or that they were not.
enum class PackagedOutcome { Registered, NoPackage, Untrusted, AddFailed };

PackagedOutcome RegisterMenu(const std::wstring& exe);
void UnregisterMenu();
bool IsMenuRegistered();

// ---- Packaged Explorer command -------------------------------------------------------

inline constexpr wchar_t kPackageName[] = L"ZerrowShellExt";
inline constexpr wchar_t kPackageFile[] = L"ZerrowShellExt.msix";
inline constexpr wchar_t kCertificateFile[] = L"ZerrowShellExt.cer";

// A single-quoted PowerShell string that stands for text whatever it holds.
std::wstring PsQuote(const std::wstring& text);
// Everything after the program's own path on PowerShell's command line.
std::wstring PowerShellArguments(const std::wstring& script);
// Replaces the package; with a certificate, only once the computer trusts it (exit code 2
// when not).
std::wstring AddPackageScript(const std::wstring& msix, const std::wstring& cer);
// Takes the certificate out of the user's Trusted People store, where earlier versions put it.
std::wstring RemoveCertificateScript(const std::wstring& cer);
inline constexpr int32_t kUntrustedExitCode = 2;

// Beside the program, else in the installation folder; msix empty when there is no
// package, cer empty when the package has no certificate beside it.
struct PackageFiles {
    std::wstring msix;
    std::wstring cer;
};
PackageFiles FindPackageFiles();

// The process's exit code, or -1 when it could not be started.
int32_t RunPowerShell(const std::wstring& script);
bool IsPackagedCommandRegistered();
void RemovePackagedCommand();
PackagedOutcome RegisterPackagedCommand();

// ---- Install and uninstall ------------------------------------------------------------

// The path up to its last separator; a drive root keeps it; no separator gives ".".
std::wstring FolderOf(const std::wstring& path);
// The uninstall entry's nine values, in the order they are written.
std::vector<RegValue> UninstallValues(const std::wstring& exe);
inline constexpr wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zerrow";
// True when folder is the installation folder and holds nothing but the program's own files.
bool MayRemoveProgramFolder(const std::wstring& folder, const std::wstring& installDir);
// The variable that hands the folder to the remover: cmd expands it once, so the
// folder's characters are never read as cmd syntax.
inline constexpr wchar_t kRemoveFolderVariable[] = L"ZRW_REMOVE_FOLDER";
// cmd's arguments for the delayed removal of the folder named by kRemoveFolderVariable.
std::wstring SelfDeleteArguments();
// The text install shows when it is not quiet.
std::wstring InstallMessage(int shortcuts, const std::wstring& exe, PackagedOutcome packaged);

// The folder the uninstall entry names; empty without one. Reads the registry only.
std::wstring RegisteredInstallDir();
// That folder, else the default one under the local application data folder.
std::wstring InstallDir();
std::vector<std::wstring> ShortcutPaths();
bool CreateShortcut(const std::wstring& link, const std::wstring& target,
                    const std::wstring& arguments);
void SelfDelete(const std::wstring& folder);
int Install(bool quiet);
int Uninstall(bool quiet);

}  // namespace zrw

#endif
