// Pacing against the clock, on a clock of the test's own: whatever painting
// costs and wherever a step runs late, an operation lasts as long as its
// planned pauses, and the window is painted at most about 60 times a second.
#include "ui/pacer.h"

#include "ui/pacing.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>

namespace {

using namespace std::chrono_literals;
using std::chrono::nanoseconds;

// A clock whose sleeps overshoot, as the system's do.
class FakeClock final : public ui::PaceClock {
public:
    TimePoint now() override { return now_; }
    void sleepFor(nanoseconds duration) override { now_ += duration + 4ms; }
    void yield() override { now_ += 500us; }
    void advance(nanoseconds duration) { now_ += duration; }

private:
    TimePoint now_{std::chrono::hours(1)};
};

// The speed-up's pacing: 160 steps of kPause and 20 of a tenth of it.
constexpr std::uint32_t kPause = 1'000'000;
constexpr std::uint32_t kShortPause = 100'000;

TEST(Pacer, AnOperationLastsAsLongAsItsPlannedPausesWhateverPaintingCosts) {
    const nanoseconds planned = ui::PauseLength(160ull * kPause + 20ull * kShortPause);
    struct Case {
        nanoseconds paintCost;
        nanoseconds stallAtStep80; // a step whose work runs long
    };
    for (const Case c :
         {Case{0ms, 0ms}, Case{5ms, 0ms}, Case{11ms, 0ms}, Case{30ms, 0ms}, Case{11ms, 200ms}}) {
        SCOPED_TRACE("painting costs " + std::to_string(c.paintCost.count() / 1'000'000) +
                     " ms, a stall of " + std::to_string(c.stallAtStep80.count() / 1'000'000) +
                     " ms");
        FakeClock clock;
        ui::Pacer pacer(clock);
        int paints = 0;
        const auto paint = [&] {
            ++paints;
            clock.advance(c.paintCost);
        };
        const auto start = clock.now();
        pacer.begin();
        for (int step = 0; step < 180; ++step) {
            clock.advance(200us); // the step's own work
            if (step == 80) {
                clock.advance(c.stallAtStep80);
            }
            pacer.pause(step < 160 ? kPause : kShortPause, paint);
        }
        const nanoseconds took = clock.now() - start;
        EXPECT_GE(took, planned);
        EXPECT_LE(took, planned * 115 / 100) << "within 15 % of the design";
        EXPECT_GE(paints, 20) << "the bar is seen to move";
        EXPECT_LE(paints, took / ui::Pacer::kFrame + 1) << "at most one frame each 1/60 s";
    }
}

TEST(Pacer, EachStepIsPaintedBeforeALongPauseAndALateStepWaitsNothing) {
    FakeClock clock;
    ui::Pacer pacer(clock);
    int paints = 0;
    pacer.begin();
    pacer.pause(1'000, [&] { ++paints; }); // painted at once: nothing was before
    EXPECT_EQ(paints, 1);
    // A long pause right after: the frame is due during it, and the step is
    // painted then, once.
    pacer.pause(50'000'000, [&] { ++paints; });
    EXPECT_EQ(paints, 2);
    // Late by a second: the next step is painted, and its pause returns at
    // once.
    clock.advance(1s);
    const auto before = clock.now();
    pacer.pause(1'000'000, [&] { ++paints; });
    EXPECT_EQ(paints, 3);
    EXPECT_EQ(clock.now(), before) << "no waiting";
}

} // namespace
