#include "rollback/clean_uninstall.h"

#include "platform/handles.h"
#include "registry/modregistry.h"
#include "shutdown/account_keys.h"
#include "shutdown/change_in_force.h"
#include "shutdown/timeout_places.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace tarrow::rollback {

namespace {

// "SOFTWARE" and "Tarrow": the key is deleted through its parent.
constexpr std::size_t kLastSeparator = shutdown::kTarrowKey.rfind('\\');
constexpr std::string_view kParentKey = shutdown::kTarrowKey.substr(0, kLastSeparator);
constexpr std::string_view kOwnKeyName = shutdown::kTarrowKey.substr(kLastSeparator + 1);

// The markers of an account on disk: a cut must not bring back as set, with
// nobody recorded as theirs, markers that the restore cleared. An account
// that is gone has none; one out of reach cannot be told.
bool MarkersOnDisk(platform::Platform& platform, const shutdown::ReachedAccount& account) {
    if (!account.reached()) {
        return account.reach == shutdown::HiveReach::Gone;
    }
    for (const Marker& marker : {kChangeMarker, kSavedMarker}) {
        const std::string path = account.keys.path(marker.keyPath);
        if (!modregistry::FlushKey(platform, account.keys.root, path) &&
            modregistry::ReadStoredValue(platform, account.keys.root, path, "").found !=
                modregistry::StoredValue::Found::NoKey) {
            return false;
        }
    }
    return true;
}

} // namespace

bool DeleteTarrowKeyIfEmpty(platform::Platform& platform) {
    platform::UniqueKey key(platform);
    const long opened =
        platform.RegOpenKeyExA(platform::kHkeyLocalMachine, std::string(shutdown::kTarrowKey), 0,
                               platform::kKeyQueryValue, key.put());
    if (opened == platform::kErrorFileNotFound) {
        return true;
    }
    std::uint32_t subKeys = 0;
    std::uint32_t values = 0;
    if (opened != platform::kErrorSuccess ||
        platform.RegQueryInfoKeyA(key.get(), &subKeys, &values) != platform::kErrorSuccess ||
        subKeys != 0 || values != 0) {
        return false;
    }
    key.reset();
    platform::UniqueKey parent(platform);
    if (platform.RegOpenKeyExA(platform::kHkeyLocalMachine, std::string(kParentKey), 0,
                               platform::kKeyRead | platform::kDelete,
                               parent.put()) != platform::kErrorSuccess) {
        return false;
    }
    const long deleted = platform.RegDeleteKeyA(parent.get(), std::string(kOwnKeyName));
    if (deleted != platform::kErrorSuccess && deleted != platform::kErrorFileNotFound) {
        return false;
    }
    return platform.RegFlushKey(parent.get()) == platform::kErrorSuccess;
}

bool ForgetWhoApplied(platform::Platform& platform, const shutdown::RestoreReport& report) {
    if (!shutdown::Completed(report.outcome) || !report.markersCleared) {
        return false;
    }
    {
        // The accounts whose markers the restore cleared: the one AppliedBy
        // names (the owner) and the running one.
        shutdown::AccountHives hives(platform, shutdown::RunningAccount(platform));
        const auto appliedBy = shutdown::ReadAppliedBy(platform);
        if ((appliedBy && !MarkersOnDisk(platform, hives.reach(*appliedBy))) ||
            !MarkersOnDisk(platform, hives.reachRunning())) {
            return false;
        }
    }
    const std::string key(shutdown::kTarrowKey);
    if (!modregistry::DeleteValue(platform, RegistryRoot::LocalMachine, key,
                                  std::string(shutdown::kAppliedByValue))) {
        return false;
    }
    // A key deleted (or never there) has nothing left to write to disk.
    return DeleteTarrowKeyIfEmpty(platform) ||
           modregistry::FlushKey(platform, RegistryRoot::LocalMachine, key);
}

} // namespace tarrow::rollback
