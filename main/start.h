// The program's start: the parse of its command line and the handler of the
// mode it asks for.
#ifndef ZERROW_MAIN_START_H
#define ZERROW_MAIN_START_H

#include "app/cmdline.h"
#include "ui/window.h"

#include <cstdint>

namespace zrw {

WindowStart MakeWindowStart(const StartRecord& record, bool destinationIsFolder);
// After the window's message loop: failed sources 1, cancelled 3, else 0.
int WindowModeExitCode(uint32_t failedSources, bool cancelled);

// Process start, the parse and the handler of the mode; the process exit code.
int RunProgram();

}  // namespace zrw

#endif
