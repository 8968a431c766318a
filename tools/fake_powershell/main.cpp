// Stand-in for powershell.exe: appends a record of its run to the file named by
// ZRW_FAKE_PS_LOG (see tools/stand_in.h). ZRW_FAKE_PS_EXIT gives the exit code (0
// when unset). With ZRW_FAKE_PS_ADD=1 an add that exits 0 creates the packaged
// class's index key and a removal deletes it, as the package manager would.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "tools/stand_in.h"
#include "zerrow_ids.h"

int wmain() {
    using zrw::stand_in::Env;
    zrw::stand_in::AppendRun(L"ZRW_FAKE_PS_LOG");
    const int exitCode = _wtoi(Env(L"ZRW_FAKE_PS_EXIT").c_str());
    if (Env(L"ZRW_FAKE_PS_ADD") != L"1") return exitCode;
    const std::wstring commandLine = GetCommandLineW();
    const std::wstring key =
        std::wstring(L"SOFTWARE\\Classes\\PackagedCom\\ClassIndex\\") + ZERROW_ROOT_CLSID_TEXT;
    if (commandLine.find(L"Add-AppxPackage") != std::wstring::npos) {
        HKEY created = nullptr;
        if (exitCode == 0 &&
            RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                            &created, nullptr) == ERROR_SUCCESS) {
            RegCloseKey(created);
        }
    } else if (commandLine.find(L"Remove-AppxPackage") != std::wstring::npos) {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, key.c_str());
    }
    return exitCode;
}
