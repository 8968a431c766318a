// Functions that some Windows versions, or Wine, lack: looked up at run time,
// never imported, each on its first use and once. A library is not touched
// before one of its functions is asked for, so a start that needs none of
// them loads none.
#ifndef ZERROW_BASE_OPTIONAL_API_H
#define ZERROW_BASE_OPTIONAL_API_H

#include "base/win.h"

#include <commctrl.h>
#include <restartmanager.h>

namespace zrw {

// Whether a library is loaded for the look-up, or only found when already in
// the process.
enum class LibraryUse { IfMapped, Load };
// Where an optional function is looked up.
// NOLINTNEXTLINE(clang-analyzer-optin.performance.Padding): 8 entries, fields in reading order
struct OptionalFunction {
    const wchar_t* library;
    LibraryUse use;
    const char* name;
    WORD ordinal = 0;  // tried when the name is not exported; 0 for none
};
// The function's address; null when the library or the function is missing.
FARPROC FindOptionalFunction(const OptionalFunction& function);

// Each null when missing.
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
GetDpiForWindowFn OptionalGetDpiForWindow();
using SetProcessDpiAwarenessContextFn = BOOL(WINAPI*)(HANDLE);
SetProcessDpiAwarenessContextFn OptionalSetProcessDpiAwarenessContext();
using TaskDialogIndirectFn = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);
TaskDialogIndirectFn OptionalTaskDialogIndirect();
using DwmSetWindowAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
DwmSetWindowAttributeFn OptionalDwmSetWindowAttribute();
using NtProcessCallFn = LONG(NTAPI*)(HANDLE);
NtProcessCallFn OptionalNtSuspendProcess();
NtProcessCallFn OptionalNtResumeProcess();
using CopyFile2Fn = HRESULT(WINAPI*)(PCWSTR, PCWSTR, COPYFILE2_EXTENDED_PARAMETERS*);
CopyFile2Fn OptionalCopyFile2();
using LoadIconMetricFn = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, HICON*);
LoadIconMetricFn OptionalLoadIconMetric();
// The Restart Manager, which names the programs that hold a file.
using RmStartSessionFn = DWORD(WINAPI*)(DWORD*, DWORD, WCHAR*);
RmStartSessionFn OptionalRmStartSession();
using RmRegisterResourcesFn = DWORD(WINAPI*)(DWORD, UINT, LPCWSTR*, UINT, RM_UNIQUE_PROCESS*, UINT,
                                             LPCWSTR*);
RmRegisterResourcesFn OptionalRmRegisterResources();
using RmGetListFn = DWORD(WINAPI*)(DWORD, UINT*, UINT*, RM_PROCESS_INFO*, LPDWORD);
RmGetListFn OptionalRmGetList();
using RmEndSessionFn = DWORD(WINAPI*)(DWORD);
RmEndSessionFn OptionalRmEndSession();

}  // namespace zrw

#endif
