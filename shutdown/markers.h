// The two marker values that record a speed-up in force, in the applying
// account's own keys.
#pragma once

#include "platform/platform.h"
#include "shutdown/account_keys.h"

namespace tarrow::shutdown {

// "Change" and then "Beforce" set to "1" in the account's keys, and written
// to disk. True when both were.
bool SetMarkers(platform::Platform& platform, const AccountKeys& account);
// "Beforce" and then "Change" set to "0" where they are there at all: a
// marker that was never written stays absent. True when none is left set.
bool ClearMarkers(platform::Platform& platform, const AccountKeys& account);
// Whether an account's markers say a speed-up is in force: the restore is
// offered while "Change" is set, the settings window is not while "Beforce"
// is.
struct MarkersRead {
    bool change = false;
    bool saved = false;

    bool any() const { return change || saved; }
};
MarkersRead ReadMarkers(platform::Platform& platform, const AccountKeys& account);
// The running account's markers, read in its own hive (loaded from its
// profile for the read when it is not loaded); none set when it is out of
// reach.
MarkersRead ReadMarkers(platform::Platform& platform);

} // namespace tarrow::shutdown
