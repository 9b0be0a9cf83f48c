// Where one account's own keys (place 0, the markers, the shutdown sound)
// are reached from the running program: under HKEY_CURRENT_USER when the
// account runs it, else under HKEY_USERS\<SID>. An account that is not
// logged on has its hive loaded from its profile for as long as it is
// needed.
#pragma once

#include "platform/platform.h"
#include "registry/registry_types.h"
#include "shutdown/timeout_places.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarrow::shutdown {

struct AccountKeys {
    RegistryRoot root = RegistryRoot::CurrentUser;
    std::string prefix; // "" under HKEY_CURRENT_USER, "<SID>\" under HKEY_USERS

    std::string path(std::string_view keyPath) const { return prefix + std::string(keyPath); }
};

// The running account's own keys.
inline AccountKeys CurrentUserKeys() {
    return {};
}

// A place's key: place 0 in the given account's keys, the others where the
// table puts them.
struct KeyAt {
    RegistryRoot root;
    std::string path;
};
KeyAt PlaceKey(const TimeoutPlace& place, const AccountKeys& account);

// The hives reached for one operation; those it loaded are unloaded when it
// goes, so no open key of the operation may outlive it.
class AccountHives {
public:
    AccountHives(platform::Platform& platform, std::string runningAccount);
    ~AccountHives();
    AccountHives(const AccountHives&) = delete;
    AccountHives& operator=(const AccountHives&) = delete;

    // The account's keys: HKEY_CURRENT_USER for the running account, else
    // HKEY_USERS\<sid>, loaded from the profile the ProfileList names when
    // the account is not logged on. Nothing when its hive cannot be reached.
    std::optional<AccountKeys> reach(const std::string& sid);
    // Whether HKEY_USERS\<hive> is there, loading it from its profile when
    // it is not: false for an account that has no hive anywhere.
    bool reachUsersHive(const std::string& hive);

private:
    platform::Platform& platform_;
    std::string runningAccount_;
    std::vector<std::string> loaded_;
};

} // namespace tarrow::shutdown
