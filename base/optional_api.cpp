// The table of optional functions, each looked up on its first use.
#include "base/optional_api.h"

#include <cstddef>
#include <iterator>
#include <mutex>

namespace zrw {

namespace {

enum Entry : size_t {
    kGetDpiForWindow,
    kSetProcessDpiAwarenessContext,
    kTaskDialogIndirect,
    kDwmSetWindowAttribute,
    kNtSuspendProcess,
    kNtResumeProcess,
    kCopyFile2,
    kLoadIconMetric,
    kRmStartSession,
    kRmRegisterResources,
    kRmGetList,
    kRmEndSession,
    kEntryCount
};

// In the order of Entry. kernel32 and ntdll are always in the process, and
// so is user32 once a window asks for its DPI; the other libraries are loaded
// by the first look-up.
constexpr LibraryUse kIfMapped = LibraryUse::IfMapped;
constexpr LibraryUse kLoad = LibraryUse::Load;
const OptionalFunction kFunctions[] = {
    {L"user32.dll", kIfMapped, "GetDpiForWindow"},            // Windows 10 from 1607 on
    {L"user32.dll", kLoad, "SetProcessDpiAwarenessContext"},  // from 1703 on; not in Wine 8
    // Older comctl32 versions (and Wine's 5.x one) may lack it, or its name.
    {L"comctl32.dll", kLoad, "TaskDialogIndirect", 345},
    // The library itself may be missing.
    {L"dwmapi.dll", kLoad, "DwmSetWindowAttribute"},
    {L"ntdll.dll", kIfMapped, "NtSuspendProcess"},
    {L"ntdll.dll", kIfMapped, "NtResumeProcess"},
    {L"kernel32.dll", kIfMapped, "CopyFile2"},  // not in Wine 8
    // Only version 6 of comctl32 has it, the one the manifest asks for.
    {L"comctl32.dll", kLoad, "LoadIconMetric", 380},
    // Asked only when a file is found in use.
    {L"rstrtmgr.dll", kLoad, "RmStartSession"},
    {L"rstrtmgr.dll", kLoad, "RmRegisterResources"},
    {L"rstrtmgr.dll", kLoad, "RmGetList"},
    {L"rstrtmgr.dll", kLoad, "RmEndSession"},
};
static_assert(std::size(kFunctions) == kEntryCount);

struct Resolved {
    std::once_flag once;
    FARPROC address = nullptr;
};
Resolved g_resolved[kEntryCount];

// Thread-safe: the native engine's workers ask for CopyFile2 together.
template <typename Fn>
Fn Lookup(Entry entry) {
    Resolved& resolved = g_resolved[entry];
    std::call_once(resolved.once,
                   [&] { resolved.address = FindOptionalFunction(kFunctions[entry]); });
    return reinterpret_cast<Fn>(resolved.address);
}

}  // namespace

FARPROC FindOptionalFunction(const OptionalFunction& function) {
    // From the system folder only, whatever lies beside the program.
    HMODULE module = function.use == LibraryUse::Load
                         ? LoadLibraryExW(function.library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)
                         : GetModuleHandleW(function.library);
    if (!module) return nullptr;
    FARPROC address = GetProcAddress(module, function.name);
    if (!address && function.ordinal != 0)
        address = GetProcAddress(module, MAKEINTRESOURCEA(function.ordinal));
    return address;
}

GetDpiForWindowFn OptionalGetDpiForWindow() { return Lookup<GetDpiForWindowFn>(kGetDpiForWindow); }

SetProcessDpiAwarenessContextFn OptionalSetProcessDpiAwarenessContext() {
    return Lookup<SetProcessDpiAwarenessContextFn>(kSetProcessDpiAwarenessContext);
}

TaskDialogIndirectFn OptionalTaskDialogIndirect() {
    return Lookup<TaskDialogIndirectFn>(kTaskDialogIndirect);
}

DwmSetWindowAttributeFn OptionalDwmSetWindowAttribute() {
    return Lookup<DwmSetWindowAttributeFn>(kDwmSetWindowAttribute);
}

NtProcessCallFn OptionalNtSuspendProcess() { return Lookup<NtProcessCallFn>(kNtSuspendProcess); }

NtProcessCallFn OptionalNtResumeProcess() { return Lookup<NtProcessCallFn>(kNtResumeProcess); }

CopyFile2Fn OptionalCopyFile2() { return Lookup<CopyFile2Fn>(kCopyFile2); }

LoadIconMetricFn OptionalLoadIconMetric() { return Lookup<LoadIconMetricFn>(kLoadIconMetric); }

RmStartSessionFn OptionalRmStartSession() { return Lookup<RmStartSessionFn>(kRmStartSession); }

RmRegisterResourcesFn OptionalRmRegisterResources() {
    return Lookup<RmRegisterResourcesFn>(kRmRegisterResources);
}

RmGetListFn OptionalRmGetList() { return Lookup<RmGetListFn>(kRmGetList); }

RmEndSessionFn OptionalRmEndSession() { return Lookup<RmEndSessionFn>(kRmEndSession); }

}  // namespace zrw
