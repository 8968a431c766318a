// Sizes and durations as the user reads them.
#include "base/format.h"

#include <cstdio>

namespace zrw {

namespace {

const wchar_t* const kUnits[] = {L"B", L"KB", L"MB", L"GB", L"TB"};

std::wstring Scaled(uint64_t bytes, const wchar_t* wholeFormat, const wchar_t* fractionFormat,
                    int wholeUpTo) {
    double v = static_cast<double>(bytes);
    int i = 0;
    while (v >= 1024 && i < 4) {
        v = v * (1.0 / 1024);
        ++i;
    }
    wchar_t text[64];
    _snwprintf(text, 64, i <= wholeUpTo ? wholeFormat : fractionFormat, v, kUnits[i]);
    return text;
}

}  // namespace

std::wstring FormatSize(uint64_t bytes) { return Scaled(bytes, L"%.0f %s", L"%.2f %s", 1); }

std::wstring FormatSizeShort(uint64_t bytes) { return Scaled(bytes, L"%.0f %s", L"%.1f %s", 0); }

std::wstring FormatDuration(double seconds) {
    // A time left estimated from a near-zero speed can be huge or not a number;
    // converting such a value to 32 bits is undefined, so it is held at the limit.
    uint32_t s = !(seconds > 0)            ? 0
                 : seconds >= 4294967295.0 ? UINT32_MAX
                                           : static_cast<uint32_t>(seconds);
    wchar_t text[32];
    if (s < 3600) _snwprintf(text, 32, L"%u:%02u", s / 60, s % 60);
    else _snwprintf(text, 32, L"%u:%02u:%02u", s / 3600, (s / 60) % 60, s % 60);
    return text;
}

}  // namespace zrw
