#include "ui/pacer.h"

#include "ui/pacing.h"

#include <algorithm>

namespace ui {

void Pacer::begin() {
    begun_ = true;
    start_ = clock_.now();
    planned_ = std::chrono::nanoseconds{0};
}

void Pacer::pause(std::uint32_t rounds, const std::function<void()>& paint) {
    if (!begun_) {
        begin();
    }
    planned_ += PauseLength(rounds);
    const PaceClock::TimePoint due = start_ + planned_;
    bool unpainted = true;
    for (;;) {
        const PaceClock::TimePoint now = clock_.now();
        if (unpainted && now - lastFrame_ >= kFrame) {
            unpainted = false;
            paint();
            // Frames are spaced from the end of the last painting, so that
            // painting that costs much is done less often.
            lastFrame_ = clock_.now();
            continue;
        }
        if (now >= due) {
            return;
        }
        // Wake for the next frame when the step is still to be painted.
        const PaceClock::TimePoint until = unpainted ? std::min(due, lastFrame_ + kFrame) : due;
        const auto left = until - now;
        if (left > kSleepGrain) {
            clock_.sleepFor(left - kSleepGrain);
        } else {
            clock_.yield();
        }
    }
}

} // namespace ui
