// The program's entry point.
#include "main/start.h"

// The C runtime's start, which sets itself up and calls wWinMain.
extern "C" int WinMainCRTStartup();

// The program is meant to run from any folder, Downloads too, where a library
// could lie under the name of one it loads. Before the C runtime and any
// static constructor run, every library loaded from here on, bound on first
// use or looked up, comes from the system folder only. The imports the loader
// binds before this runs are all KnownDLLs, which it takes from there anyway.
extern "C" int ZerrowEntry() {
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    return WinMainCRTStartup();
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return zrw::RunProgram(); }
