// The speed of a job, over a sliding window of samples.
#include "job/job.h"

namespace zrw {

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

}  // namespace zrw
