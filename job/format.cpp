#include "job/job.h"

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

void SampleSpeedAt(SpeedState& state, uint64_t now) {
    state.samples.emplace_back(now, state.bytesDone);
    while (state.samples.size() > 1 && now - state.samples.front().first >= 3001)
        state.samples.pop_front();
    if (state.samples.size() >= 2) {
        const auto& oldest = state.samples.front();
        const auto& newest = state.samples.back();
        double span = static_cast<double>(newest.first - oldest.first) / 1000.0;
        // A count that went down would wrap round to an absurd rate: the
        // job average is shown instead, as for a stall.
        if (span >= 0.5 && newest.second > oldest.second) {
            state.speed = static_cast<double>(newest.second - oldest.second) / span;
            return;
        }
    }
    double elapsed = static_cast<double>(now - state.startTick) / 1000.0;
    state.speed = (elapsed <= 0.5 || state.bytesDone == 0)
                      ? 0
                      : static_cast<double>(state.bytesDone) / elapsed;
}

void SampleSpeed(SpeedState& state) { SampleSpeedAt(state, GetTickCount64()); }

std::wstring FormatSize(uint64_t bytes) { return Scaled(bytes, L"%.0f %s", L"%.2f %s", 1); }

std::wstring FormatSizeShort(uint64_t bytes) { return Scaled(bytes, L"%.0f %s", L"%.1f %s", 0); }

std::wstring FormatDuration(double seconds) {
    // A time left estimated from a near-zero speed can be huge or not a number;
    // converting such a value to 32 bits is undefined, so it is held at the limit.
    uint32_t s = !(seconds > 0)            ? 0
                 : seconds >= 4294967295.0 ? UINT32_MAX
                                           : static_cast<uint32_t>(seconds);
    wchar_t text[32];
    if (s < 3600)
        _snwprintf(text, 32, L"%u:%02u", s / 60, s % 60);
    else
        _snwprintf(text, 32, L"%u:%02u:%02u", s / 3600, (s / 60) % 60, s % 60);
    return text;
}

}  // namespace zrw
