// The speed of a job, over a sliding window of samples in running time, and
// the time it has left.
#include "job/job.h"

namespace zrw {

namespace {

// A time left from a second of copying swings wildly: it waits for two.
constexpr uint64_t kDataBeforeEstimate = 2000;

uint64_t CopiedBytes(const SpeedState& state) {
    return state.bytesDone > state.skippedBytes ? state.bytesDone - state.skippedBytes : 0;
}

}  // namespace

uint64_t RunningMs(const SpeedState& state, uint64_t now) {
    uint64_t held =
        state.pausedMs + (state.paused && now > state.pausedAt ? now - state.pausedAt : 0);
    uint64_t since = now > state.startTick ? now - state.startTick : 0;
    return since > held ? since - held : 0;
}

void SampleSpeedAt(SpeedState& state, uint64_t now) {
    if (state.paused) {
        state.speed = 0;
        return;
    }
    uint64_t copied = CopiedBytes(state);
    if (copied == 0) state.copyingFrom = RunningMs(state, now);
    state.samples.emplace_back(now, copied);
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
    double running = static_cast<double>(RunningMs(state, now)) / 1000.0;
    state.speed = (running <= 0.5 || copied == 0) ? 0 : static_cast<double>(copied) / running;
}

void SampleSpeed(SpeedState& state) { SampleSpeedAt(state, GetTickCount64()); }

void PauseSpeedAt(SpeedState& state, bool paused, uint64_t now) {
    if (paused == state.paused) return;
    state.paused = paused;
    if (paused) {
        state.pausedAt = now;
        state.speed = 0;
        return;
    }
    uint64_t held = now > state.pausedAt ? now - state.pausedAt : 0;
    state.pausedMs += held;
    for (auto& sample : state.samples) sample.first += held;
}

std::optional<double> SecondsLeft(const SpeedState& state, uint64_t total, uint64_t now) {
    if (state.paused || state.speed <= 0 || state.bytesDone >= total) return std::nullopt;
    if (RunningMs(state, now) < state.copyingFrom + kDataBeforeEstimate) return std::nullopt;
    return static_cast<double>(total - state.bytesDone) / state.speed;
}

}  // namespace zrw
