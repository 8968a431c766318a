// Sizes and durations as the interface and the console show them.
#ifndef ZERROW_BASE_FORMAT_H
#define ZERROW_BASE_FORMAT_H

#include <cstdint>
#include <string>

namespace zrw {

// Binary units: whole numbers up to KB, then two decimals ("1.50 MB").
std::wstring FormatSize(uint64_t bytes);
// Whole bytes, then one decimal ("1.4 MB").
std::wstring FormatSizeShort(uint64_t bytes);
// "m:ss", or "h:mm:ss" from an hour on; negative and unknown times are 0:00.
std::wstring FormatDuration(double seconds);

}  // namespace zrw

#endif
