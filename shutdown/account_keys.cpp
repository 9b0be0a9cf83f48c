#include "shutdown/account_keys.h"

#include "platform/handles.h"
#include "registry/modregistry.h"
#include "shutdown/change_in_force.h"

namespace tarrow::shutdown {

namespace {

constexpr std::string_view kProfileList =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\";

bool UsersHiveLoaded(platform::Platform& platform, const std::string& hive) {
    platform::UniqueKey key(platform);
    return platform.RegOpenKeyExA(platform::kHkeyUsers, hive, 0, platform::kKeyRead, key.put()) ==
           platform::kErrorSuccess;
}

// The account's NTUSER.DAT as the ProfileList names it, or "".
std::string ProfileHiveFile(platform::Platform& platform, const std::string& sid) {
    const auto stored = modregistry::ReadStoredValue(
        platform, RegistryRoot::LocalMachine, std::string(kProfileList) + sid, "ProfileImagePath");
    if (stored.found != modregistry::StoredValue::Found::Value ||
        (stored.kind != platform::kRegSz && stored.kind != platform::kRegExpandSz)) {
        return {};
    }
    std::string path(stored.bytes.begin(), stored.bytes.end());
    path = path.substr(0, path.find('\0'));
    path = platform.ExpandEnvironmentStringsA(path);
    return path.empty() ? std::string() : path + "\\NTUSER.DAT";
}

} // namespace

KeyAt PlaceKey(const TimeoutPlace& place, const AccountKeys& account) {
    if (place.root == RegistryRoot::CurrentUser) {
        return {account.root, account.path(place.keyPath)};
    }
    return {place.root, std::string(place.keyPath)};
}

AccountHives::AccountHives(platform::Platform& platform, std::string runningAccount)
    : platform_(platform), runningAccount_(std::move(runningAccount)) {}

AccountHives::~AccountHives() {
    for (const std::string& hive : loaded_) {
        modregistry::UnLoadKey(platform_, hive);
    }
}

std::optional<AccountKeys> AccountHives::reach(const std::string& sid) {
    if (SameAccount(sid, runningAccount_)) {
        return CurrentUserKeys();
    }
    if (sid.empty() || !reachUsersHive(sid)) {
        return std::nullopt;
    }
    return AccountKeys{RegistryRoot::Users, sid + "\\"};
}

bool AccountHives::reachUsersHive(const std::string& hive) {
    if (UsersHiveLoaded(platform_, hive)) {
        return true;
    }
    const std::string file = ProfileHiveFile(platform_, hive);
    if (file.empty() || !modregistry::LoadKey(platform_, hive, file)) {
        return false;
    }
    loaded_.push_back(hive);
    return true;
}

} // namespace tarrow::shutdown
