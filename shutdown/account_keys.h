// Where one account's own keys (place 0, the markers, the shutdown sound)
// are reached from the running program: always under HKEY_USERS\<SID>, also
// for the account that runs it. HKEY_CURRENT_USER is not always the running
// account's hive: for a process whose profile is not loaded (runas
// /noprofile) Windows maps it to HKEY_USERS\.DEFAULT. An account that is not
// logged on has its hive loaded from its profile for as long as it is
// needed.
#pragma once

#include "platform/platform.h"
#include "registry/registry_types.h"
#include "shutdown/timeout_places.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarrow::shutdown {

inline constexpr std::string_view kLocalSystem = "S-1-5-18";

struct AccountKeys {
    RegistryRoot root = RegistryRoot::Users;
    std::string prefix; // "<hive>\" under HKEY_USERS

    std::string path(std::string_view keyPath) const { return prefix + std::string(keyPath); }
};

// The hive under HKEY_USERS that holds the account's own keys.
std::string OwnHiveOf(const std::string& sid);
// The account's own keys, in the hive OwnHiveOf names.
AccountKeys KeysOf(const std::string& sid);

// A place's key: place 0 in the given account's keys, the others where the
// table puts them.
struct KeyAt {
    RegistryRoot root;
    std::string path;
};
KeyAt PlaceKey(const TimeoutPlace& place, const AccountKeys& account);
// The hive under HKEY_USERS that holds a place of that root: the first name
// of its key path.
std::string UsersHiveOf(const TimeoutPlace& place);

// How far a hive under HKEY_USERS is within reach.
enum class HiveReach {
    Reached,    // loaded, or loaded now from its profile
    Gone,       // the account is gone with its values: no ProfileList entry, or
                // the NTUSER.DAT its entry names no longer exists
    OutOfReach, // it is there but cannot be loaded (its file in use, say), or
                // cannot be told
};

struct ReachedAccount {
    HiveReach reach = HiveReach::OutOfReach;
    AccountKeys keys; // when Reached

    bool reached() const { return reach == HiveReach::Reached; }
};

// The hives reached for one operation; those it loaded are unloaded when it
// goes, so no open key of the operation may outlive it. Each hive is looked
// for once: what it found holds for the whole operation.
class AccountHives {
public:
    AccountHives(platform::Platform& platform, std::string runningAccount);
    ~AccountHives();
    AccountHives(const AccountHives&) = delete;
    AccountHives& operator=(const AccountHives&) = delete;

    // The SID of the account the program runs as; "" when it cannot be told.
    const std::string& runningAccount() const { return runningAccount_; }
    // The account's own keys; an unknown account ("") is out of reach.
    ReachedAccount reach(const std::string& sid);
    ReachedAccount reachRunning() { return reach(runningAccount_); }
    // HKEY_USERS\<hive>, loaded from the profile the ProfileList names when
    // it is not loaded.
    HiveReach reachUsersHive(const std::string& hive);
    // Every account with a hive on this machine, each once: those loaded
    // under HKEY_USERS and those the ProfileList names (LocalSystem for
    // .DEFAULT). Nothing when either list cannot be read.
    std::optional<std::vector<std::string>> accounts();

private:
    HiveReach find(const std::string& hive);

    platform::Platform& platform_;
    std::string runningAccount_;
    std::map<std::string, HiveReach> found_; // by lower-case hive name
    std::vector<std::string> loaded_;
};

} // namespace tarrow::shutdown
