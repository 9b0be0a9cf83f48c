// Reading the 26 time-outs in the reading order, as the speed-up does before
// it saves them and the rating does before it adds them up.
#pragma once

#include "platform/platform.h"
#include "shutdown/progress.h"
#include "shutdown/timeout_places.h"

#include <array>
#include <string>

namespace tarrow::shutdown {

// What a read gives for a pair whose key cannot be opened.
enum class MissingKeyText {
    SaveDefault, // the pair's own save-time placeholder ("NO", "NO " for one pair)
    No,          // "NO" for every pair
};

// Every pair's value as text, ten progress steps (each followed by a pause of
// kPause rounds) after the last pair of each place: 80 in all.
std::array<std::string, kTimeoutPairCount>
ReadEveryPair(platform::Platform& platform, Progress& progress, MissingKeyText missingKey);

} // namespace tarrow::shutdown
