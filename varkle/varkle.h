// The Explorer command library: internal declarations shared by its files.
#ifndef ZERROW_VARKLE_VARKLE_H
#define ZERROW_VARKLE_VARKLE_H

#include "varkle/argv.h"

#include <windows.h>
#include <shobjidl.h>

#include <string>
#include <vector>

namespace varkle {

enum Kind : LONG { kRoot = 0, kCopy = 1, kMove = 2 };

// The kind's GUID (root: the class the package declares); false for an unknown kind.
bool KindGuid(LONG kind, GUID* guid);
// The kind served under a class identifier, or -1.
LONG KindOf(REFCLSID clsid);
const wchar_t* KindTitle(LONG kind);
const wchar_t* KindToolTip(LONG kind);

// Live objects and server locks; the library may be unloaded only at zero.
void ModuleAddRef();
void ModuleRelease();
LONG ModuleCount();
extern HMODULE g_module;

HRESULT CreateCommand(LONG kind, REFIID riid, void** ppv);
HRESULT CreateEnumerator(LONG position, REFIID riid, void** ppv);
HRESULT CreateClassFactory(LONG kind, REFIID riid, void** ppv);

// Text routines of their own: the library shares no code with the program.
std::wstring FolderWithSeparator(
    const std::wstring& path);                          // up to and including the last separator
std::wstring FolderForStart(const std::wstring& path);  // up to, not including, it

// Zerrow's executable, found once (beside the library, else through ExePath).
std::wstring LocateZerrow();
bool StartZerrow(const std::wstring& exe, const std::wstring& commandLine);
bool Launch(IShellItemArray* items, bool move);

}  // namespace varkle

#endif
