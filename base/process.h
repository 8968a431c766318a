// Child processes: started hidden, by their full path, never found through a
// search.
#ifndef ZERROW_BASE_PROCESS_H
#define ZERROW_BASE_PROCESS_H

#include "base/win.h"

#include <string>

namespace zrw {

// The process when it started, else why not.
struct StartedProcess {
    UniqueHandle process;
    DWORD error = ERROR_SUCCESS;
};

// Starts `program` (a full path) without a window. The command line is the
// whole line the child reads, its own quoted path first. An empty folder
// leaves the child this process's current directory.
StartedProcess StartHiddenProcess(const std::wstring& program, std::wstring commandLine,
                                  const std::wstring& folder = {});

}  // namespace zrw

#endif
