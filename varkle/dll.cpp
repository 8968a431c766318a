// The DLL's exports and its object count.
#include "varkle/varkle.h"

namespace varkle {

HMODULE g_module = nullptr;

namespace {
LONG g_moduleCount = 0;
}  // namespace

void ModuleAddRef() { InterlockedIncrement(&g_moduleCount); }
void ModuleRelease() { InterlockedDecrement(&g_moduleCount); }
LONG ModuleCount() { return InterlockedCompareExchange(&g_moduleCount, 0, 0); }

}  // namespace varkle

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        varkle::g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    const LONG kind = varkle::KindOf(rclsid);
    if (kind < 0) return CLASS_E_CLASSNOTAVAILABLE;
    return varkle::CreateClassFactory(kind, riid, ppv);
}

extern "C" HRESULT WINAPI DllCanUnloadNow() { return varkle::ModuleCount() == 0 ? S_OK : S_FALSE; }

// Starts Zerrow for one path, as the copy or move command would: for test harnesses.
extern "C" int WINAPI SelfTest(const wchar_t* path, int move) {
    if (!path) return 1;
    const std::wstring exe = varkle::LocateZerrow();
    if (exe.empty() || GetFileAttributesW(exe.c_str()) == INVALID_FILE_ATTRIBUTES) return 2;
    const std::wstring commandLine = varkle::LaunchCommandLine(exe, move != 0, {path});
    return varkle::StartZerrow(exe, commandLine) ? 0 : 3;
}
