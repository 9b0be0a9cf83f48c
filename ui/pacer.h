// Pacing an operation's progress bar against the clock. An operation counts
// its pauses in rounds (ui/pacing.h); the pacer plans them from the moment
// the operation began, so each pause ends when all the pauses planned so
// far have passed: the time a step's own work and the painting take is not
// added to the pause after it, and a step that is late waits nothing. The
// window is painted when a frame is due, at most about 60 times a second
// (a frame's time counted from the end of the last painting), and never more
// than once for one step.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace ui {

// What a pacer waits on: the real clock in the Win32 driver, a fake one in
// tests.
class PaceClock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    virtual ~PaceClock() = default;
    virtual TimePoint now() = 0;
    // Sleeps about that long; the system's sleep is coarse.
    virtual void sleepFor(std::chrono::nanoseconds duration) = 0;
    // Gives the rest of the time slice away.
    virtual void yield() = 0;
};

class Pacer {
public:
    // Under this much left, the pacer yields instead of sleeping, for a
    // sleep may last this much longer than asked.
    static constexpr std::chrono::milliseconds kSleepGrain{20};
    static constexpr std::chrono::nanoseconds kFrame{16'666'667};

    explicit Pacer(PaceClock& clock) : clock_(clock) {}

    // An operation begins now: its pauses are planned from here.
    void begin();
    // The step before this pause moved the bar: waits until every pause
    // planned since begin() has passed, and has `paint` draw the window
    // once a frame is due. Without begin(), the operation begins here.
    void pause(std::uint32_t rounds, const std::function<void()>& paint);

private:
    PaceClock& clock_;
    bool begun_ = false;
    PaceClock::TimePoint start_{};
    std::chrono::nanoseconds planned_{0};
    PaceClock::TimePoint lastFrame_{};
};

} // namespace ui
