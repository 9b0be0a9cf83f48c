#include "shutdown/markers.h"

#include "registry/modregistry.h"
#include "shutdown/timeout_places.h"

#include <string>

namespace tarrow::shutdown {

namespace {

bool Write(platform::Platform& platform, const Marker& marker, std::string_view text) {
    return modregistry::SetValue(platform, ValueKind::Text, RegistryRoot::CurrentUser,
                                 std::string(marker.keyPath), std::string(marker.valueName),
                                 std::string(text));
}

} // namespace

bool SetMarkers(platform::Platform& platform) {
    const bool change = Write(platform, kChangeMarker, kMarkerSetText);
    const bool saved = Write(platform, kSavedMarker, kMarkerSetText);
    return change && saved;
}

bool ClearMarkers(platform::Platform& platform) {
    const bool saved = Write(platform, kSavedMarker, kMarkerClearText);
    const bool change = Write(platform, kChangeMarker, kMarkerClearText);
    return saved && change;
}

} // namespace tarrow::shutdown
