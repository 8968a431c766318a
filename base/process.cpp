// Hidden child processes, started by the full path of their program.
#include "base/process.h"

namespace zrw {

StartedProcess StartHiddenProcess(const std::wstring& program, std::wstring commandLine,
                                  const std::wstring& folder) {
    StartedProcess started;
    // Without the program's path the system would look the first word up.
    if (program.empty()) {
        started.error = ERROR_INVALID_PARAMETER;
        return started;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        CREATE_NO_WINDOW, nullptr, folder.empty() ? nullptr : folder.c_str(),
                        &startup, &info)) {
        started.error = GetLastError();
        return started;
    }
    CloseHandle(info.hThread);
    started.process.reset(info.hProcess);
    return started;
}

}  // namespace zrw
