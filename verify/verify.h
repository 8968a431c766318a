// Byte-by-byte comparison of source and destination trees and its report.
#ifndef ZERROW_VERIFY_VERIFY_H
#define ZERROW_VERIFY_VERIFY_H

#include "app/win.h"

#include <string>
#include <vector>

namespace zrw {

// The command line's verify mode with the destination already chosen: 0, 2 or 4.
int RunVerifyMode(const std::vector<std::wstring>& sources, const std::wstring& destination);

}  // namespace zrw

#endif
