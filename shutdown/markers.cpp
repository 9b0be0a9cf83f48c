#include "shutdown/markers.h"

#include "registry/modregistry.h"
#include "shutdown/change_in_force.h"
#include "shutdown/timeout_places.h"

#include <string>

namespace tarrow::shutdown {

namespace {

// Markers read with this default count as not set when their key is missing.
const std::string kMarkerDefault = " ";

bool Write(platform::Platform& platform, const AccountKeys& account, const Marker& marker,
           std::string_view text) {
    return modregistry::SetValue(platform, ValueKind::Text, account.root,
                                 account.path(marker.keyPath), std::string(marker.valueName),
                                 std::string(text));
}

// Clears a marker that is there; one that is absent is left so.
bool Clear(platform::Platform& platform, const AccountKeys& account, const Marker& marker) {
    const auto stored = modregistry::ReadStoredValue(
        platform, account.root, account.path(marker.keyPath), std::string(marker.valueName));
    if (stored.found == modregistry::StoredValue::Found::NoKey ||
        stored.found == modregistry::StoredValue::Found::Absent) {
        return true;
    }
    return Write(platform, account, marker, kMarkerClearText);
}

bool IsSet(platform::Platform& platform, const AccountKeys& account, const Marker& marker) {
    return MarkerIsSet(modregistry::GetValue(platform, account.root, account.path(marker.keyPath),
                                             std::string(marker.valueName), kMarkerDefault));
}

} // namespace

bool SetMarkers(platform::Platform& platform, const AccountKeys& account) {
    const bool change = Write(platform, account, kChangeMarker, kMarkerSetText);
    const bool saved = Write(platform, account, kSavedMarker, kMarkerSetText);
    return change && saved &&
           modregistry::FlushKey(platform, account.root, account.path(kChangeMarker.keyPath));
}

bool ClearMarkers(platform::Platform& platform, const AccountKeys& account) {
    const bool saved = Clear(platform, account, kSavedMarker);
    const bool change = Clear(platform, account, kChangeMarker);
    return saved && change;
}

MarkersRead ReadMarkers(platform::Platform& platform, const AccountKeys& account) {
    return {IsSet(platform, account, kChangeMarker), IsSet(platform, account, kSavedMarker)};
}

MarkersRead ReadMarkers(platform::Platform& platform) {
    AccountHives hives(platform, RunningAccount(platform));
    const ReachedAccount running = hives.reachRunning();
    return running.reached() ? ReadMarkers(platform, running.keys) : MarkersRead{};
}

} // namespace tarrow::shutdown
