// Everything in the registry that Tarrow reads, changes and puts back: the
// eight places that hold Windows' shutdown time-outs, the 26 place/value
// pairs in their two walking orders, the texts the speed-up writes, the two
// marker values and the shutdown-sound key. Static data, compiled in.
#pragma once

#include "registry/registry_types.h"

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

namespace tarrow {

// The four time-out values, in the order a four-value place is read.
enum class Timeout { HungApp, PowerOff, WaitToKillApp, WaitToKillService };

inline constexpr std::string_view kHungAppTimeout = "HungAppTimeout";
inline constexpr std::string_view kPowerOffTimeOut = "PowerOffTimeOut";
inline constexpr std::string_view kWaitToKillAppTimeout = "WaitToKillAppTimeout";
inline constexpr std::string_view kWaitToKillServiceTimeout = "WaitToKillServiceTimeout";

constexpr std::string_view TimeoutName(Timeout timeout) {
    switch (timeout) {
    case Timeout::HungApp:
        return kHungAppTimeout;
    case Timeout::PowerOff:
        return kPowerOffTimeOut;
    case Timeout::WaitToKillApp:
        return kWaitToKillAppTimeout;
    case Timeout::WaitToKillService:
        return kWaitToKillServiceTimeout;
    }
    return {};
}

struct TimeoutPlace {
    int index; // the label of the place's lines in the saved-settings file
    // CurrentUser stands for the account's own hive, which the operations
    // reach under HKEY_USERS (see account_keys.h).
    RegistryRoot root;
    std::string_view keyPath;
    bool serviceTimeoutOnly; // carries WaitToKillServiceTimeout alone
};

inline constexpr std::array<TimeoutPlace, 8> kTimeoutPlaces{{
    {0, RegistryRoot::CurrentUser, "Control Panel\\Desktop", false},
    {1, RegistryRoot::LocalMachine, "SYSTEM\\ControlSet001\\Control", true},
    {2, RegistryRoot::LocalMachine, "SYSTEM\\ControlSet002\\Control", true},
    {3, RegistryRoot::Users, ".DEFAULT\\Control Panel\\Desktop", false},
    {4, RegistryRoot::Users, "S-1-5-19\\Control Panel\\Desktop", false},
    {5, RegistryRoot::Users, "S-1-5-20\\Control Panel\\Desktop", false},
    {6, RegistryRoot::Users, "S-1-5-21-299502267-362288127-839522115-1003\\Control Panel\\Desktop",
     false},
    {7, RegistryRoot::Users, "S-1-5-18\\Control Panel\\Desktop", false},
}};

inline constexpr std::size_t kTimeoutPairCount = 26;

// One place/value pair as the reads see it.
struct ReadPair {
    const TimeoutPlace* place;
    Timeout timeout;
    std::string_view valueName;   // as spelled for reading (one differs in case)
    std::string_view saveDefault; // what the save-time read passes as default
};

// One place/value pair as the writes see it.
struct WritePair {
    const TimeoutPlace* place;
    Timeout timeout;
    std::string_view valueName; // as spelled for writing
    std::size_t entry;          // position of this pair in the reading order (0-based)
};

// The pairs of one place, as the writes walk them.
struct WriteGroup {
    const TimeoutPlace* place;
    std::span<const WritePair> pairs;
};

// Places 0 to 7; in a four-value place HungApp, PowerOff, WaitToKillApp,
// WaitToKillService. Line k of the saved-settings file is pair k of this order.
const std::array<ReadPair, kTimeoutPairCount>& ReadingOrder();

// Places 0, 2, 1, 3 to 7; in a four-value place HungApp, PowerOff,
// WaitToKillService, WaitToKillApp.
const std::array<WritePair, kTimeoutPairCount>& WritingOrder();
// The writing order cut into one group per place.
const std::array<WriteGroup, kTimeoutPlaces.size()>& WriteGroups();

// The text the speed-up writes to every pair.
inline constexpr std::string_view kPowerfulTimeoutText = "0"; // "Powerful" chosen
inline constexpr std::string_view kFastTimeoutText = "10";    // anything else

struct Marker {
    std::string_view keyPath; // in the account's own hive (see account_keys.h)
    std::string_view valueName;
};

// "1" while a speed-up is in force and not yet restored.
inline constexpr Marker kChangeMarker{"Consol", "Change"};
inline constexpr Marker kSavedMarker{"Control Panel\\Desktop", "Beforce"};
inline constexpr std::string_view kMarkerSetText = "1";
inline constexpr std::string_view kMarkerClearText = "0";

// True when the marker's text, surrounding white space ignored, reads as the
// number 1.
bool MarkerIsSet(std::string_view markerText);

// In the account's own hive; its default value names the sound Windows plays
// when it exits.
inline constexpr std::string_view kShutdownSoundKey =
    "AppEvents\\Schemes\\Apps\\.Default\\SystemExit\\.Current";

} // namespace tarrow
