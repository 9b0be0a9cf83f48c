// Reading the 26 time-outs in the reading order, as the speed-up does before
// it saves them and the rating does before it adds them up. Both make ten
// progress steps (each followed by a pause of kPause rounds) after the last
// pair of each place: 80 in all.
#pragma once

#include "platform/platform.h"
#include "registry/modregistry.h"
#include "shutdown/account_keys.h"
#include "shutdown/progress.h"
#include "shutdown/timeout_places.h"

#include <array>
#include <string>

namespace tarrow::shutdown {

// Place 0 is read in `account`'s keys; without them (the running account's
// hive out of reach) its key counts as one that cannot be opened.

// Every pair's value as text; "NO" where the place's key cannot be opened.
std::array<std::string, kTimeoutPairCount>
ReadEveryPairText(platform::Platform& platform, const AccountKeys* account, Progress& progress);

// Every pair's value as stored.
std::array<modregistry::StoredValue, kTimeoutPairCount>
ReadEveryPairStored(platform::Platform& platform, const AccountKeys* account, Progress& progress);

} // namespace tarrow::shutdown
