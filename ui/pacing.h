// How long the pacing pause of a progress bar lasts. Operations count their
// pauses in rounds of an empty counting loop; every round lasts the same
// short time, so a pause of ten times the rounds lasts ten times as long,
// whatever the machine: the speed-up's 162 million rounds take about a
// second, and no operation comes near the five seconds after which Windows
// marks a window as not responding.
#pragma once

#include <chrono>
#include <cstdint>

namespace ui {

inline constexpr std::chrono::nanoseconds kTimePerRound{6};

constexpr std::chrono::nanoseconds PauseLength(std::uint64_t rounds) {
    return kTimePerRound * static_cast<std::int64_t>(rounds);
}

static_assert(PauseLength(162'000'000) == std::chrono::milliseconds(972));

} // namespace ui
