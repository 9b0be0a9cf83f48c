// Whether a change of Tarrow's is in force on this machine, and whose it is.
// One change is in force per machine: its saved copy lies in the system
// directory, and the account that applied it is recorded machine-wide
// (HKLM\SOFTWARE\Tarrow, AppliedBy), for the copy holds that account's own
// values (place 0, the shutdown sound).
#pragma once

#include "platform/platform.h"
#include "shutdown/saved_copy.h"

#include <optional>
#include <string>
#include <string_view>

namespace tarrow::shutdown {

inline constexpr std::string_view kTarrowKey = "SOFTWARE\\Tarrow";
inline constexpr std::string_view kAppliedByValue = "AppliedBy";

// The SID of the account the program runs as, or "" when it cannot be told.
std::string RunningAccount(platform::Platform& platform);
// "DOMAIN\name" of an account, or its SID when it has no name here;
// "(unknown)" for none.
std::string AccountName(platform::Platform& platform, const std::string& sid);

std::optional<std::string> ReadAppliedBy(platform::Platform& platform);
// Records the account and writes it to disk at once. The record outlives
// the change: with no saved copy it only says whose markers may be left.
bool RecordAppliedBy(platform::Platform& platform, const std::string& sid);

struct ChangeInForce {
    enum class Kind {
        Nothing,  // no saved copy
        Damaged,  // a saved copy that cannot be used
        InForce,  // a saved copy of the values from before the change
        Leftover, // an earlier version's copy of a change that was undone
    };
    Kind kind = Kind::Nothing;
    SavedCopy copy;
    // InForce: the SID of the account that applied it; "" when that cannot
    // be told (an earlier version's copy, met by a service account).
    std::string owner;
};

// What the saved copy tells. A copy without AppliedBy comes from an earlier
// version: it is in force, and the running account's, when a machine-wide
// pair holds Tarrow's own text; otherwise it is a leftover.
ChangeInForce FindChangeInForce(platform::Platform& platform, SavedCopy copy,
                                const std::string& runningAccount);

bool SameAccount(std::string_view a, std::string_view b);

} // namespace tarrow::shutdown
