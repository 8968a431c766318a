// This program's own path and its standard error stream.
#ifndef ZERROW_APP_PROCESS_H
#define ZERROW_APP_PROCESS_H

#include "base/win.h"

#include <string>

namespace zrw {

// Full path of this executable; false when it does not fit the long-path buffer.
bool ModulePath(HMODULE module, std::wstring& path);

// UTF-8 to the standard error stream, when there is one.
void WriteStdErr(const std::wstring& text);

}  // namespace zrw

#endif
