#include "rollback/clean_uninstall.h"

#include "platform/handles.h"
#include "registry/modregistry.h"
#include "shutdown/change_in_force.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace tarrow::rollback {

namespace {

// "SOFTWARE" and "Tarrow": the key is deleted through its parent.
constexpr std::size_t kLastSeparator = shutdown::kTarrowKey.rfind('\\');
constexpr std::string_view kParentKey = shutdown::kTarrowKey.substr(0, kLastSeparator);
constexpr std::string_view kOwnKeyName = shutdown::kTarrowKey.substr(kLastSeparator + 1);

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

bool ForgetWhoApplied(platform::Platform& platform) {
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
