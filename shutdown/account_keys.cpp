#include "shutdown/account_keys.h"

#include "platform/handles.h"
#include "registry/modregistry.h"
#include "shutdown/change_in_force.h"

#include <algorithm>
#include <cctype>

namespace tarrow::shutdown {

namespace {

constexpr std::string_view kProfileList =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
// The longest key name Windows allows, and its NUL.
constexpr std::uint32_t kKeyNameBuffer = 256;

std::string Folded(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

long OpenStatus(platform::Platform& platform, platform::Key root, const std::string& path) {
    platform::UniqueKey key(platform);
    return platform.RegOpenKeyExA(root, path, 0, platform::kKeyRead, key.put());
}

// The names of the key's subkeys, or nothing when they cannot be listed.
std::optional<std::vector<std::string>> SubkeyNames(platform::Platform& platform,
                                                    platform::Key root, const std::string& path) {
    platform::UniqueKey key(platform);
    if (platform.RegOpenKeyExA(root, path, 0, platform::kKeyRead, key.put()) !=
        platform::kErrorSuccess) {
        return std::nullopt;
    }
    std::vector<std::string> names;
    for (std::uint32_t index = 0;; ++index) {
        char name[kKeyNameBuffer];
        std::uint32_t size = kKeyNameBuffer;
        const long status = platform.RegEnumKeyExA(key.get(), index, name, &size);
        if (status == platform::kErrorNoMoreItems) {
            return names;
        }
        if (status != platform::kErrorSuccess) {
            return std::nullopt;
        }
        names.emplace_back(name, size);
    }
}

// The account's NTUSER.DAT as its ProfileList entry names it, "" when the
// entry names no profile folder; nothing when there is no entry.
std::optional<std::string> ProfileHiveFile(platform::Platform& platform, const std::string& sid,
                                           bool* listed) {
    const std::string entry = std::string(kProfileList) + "\\" + sid;
    const long status = OpenStatus(platform, platform::kHkeyLocalMachine, entry);
    *listed = status != platform::kErrorFileNotFound;
    if (status != platform::kErrorSuccess) {
        return std::nullopt;
    }
    const auto stored = modregistry::ReadStoredValue(platform, RegistryRoot::LocalMachine, entry,
                                                     "ProfileImagePath");
    if (stored.found != modregistry::StoredValue::Found::Value ||
        (stored.kind != platform::kRegSz && stored.kind != platform::kRegExpandSz)) {
        return std::string();
    }
    std::string path(stored.bytes.begin(), stored.bytes.end());
    path = platform.ExpandEnvironmentStringsA(path.substr(0, path.find('\0')));
    return path.empty() ? std::string() : path + "\\NTUSER.DAT";
}

bool FileIsGone(platform::Platform& platform, const std::string& path) {
    if (platform.GetFileAttributesA(path) != platform::kInvalidFileAttributes) {
        return false;
    }
    const auto error = static_cast<long>(platform.GetLastError());
    return error == platform::kErrorFileNotFound || error == platform::kErrorPathNotFound;
}

} // namespace

std::string OwnHiveOf(const std::string& sid) {
    // On Windows HKEY_USERS\S-1-5-18 and HKEY_USERS\.DEFAULT are one hive:
    // LocalSystem's own part (place 0, its markers, its sound) lies in
    // .DEFAULT, where place 3 is and place 7 is again.
    return SameAccount(sid, kLocalSystem) ? ".DEFAULT" : sid;
}

AccountKeys KeysOf(const std::string& sid) {
    return {RegistryRoot::Users, OwnHiveOf(sid) + "\\"};
}

KeyAt PlaceKey(const TimeoutPlace& place, const AccountKeys& account) {
    if (place.root == RegistryRoot::CurrentUser) {
        return {account.root, account.path(place.keyPath)};
    }
    return {place.root, std::string(place.keyPath)};
}

std::string UsersHiveOf(const TimeoutPlace& place) {
    return std::string(place.keyPath.substr(0, place.keyPath.find('\\')));
}

AccountHives::AccountHives(platform::Platform& platform, std::string runningAccount)
    : platform_(platform), runningAccount_(std::move(runningAccount)) {}

AccountHives::~AccountHives() {
    for (const std::string& hive : loaded_) {
        modregistry::UnLoadKey(platform_, hive);
    }
}

ReachedAccount AccountHives::reach(const std::string& sid) {
    if (sid.empty()) {
        return {};
    }
    const HiveReach reach = reachUsersHive(OwnHiveOf(sid));
    return {reach, reach == HiveReach::Reached ? KeysOf(sid) : AccountKeys{}};
}

HiveReach AccountHives::reachUsersHive(const std::string& hive) {
    const std::string key = Folded(hive);
    const auto known = found_.find(key);
    if (known != found_.end()) {
        return known->second;
    }
    const HiveReach reach = find(hive);
    found_[key] = reach;
    return reach;
}

HiveReach AccountHives::find(const std::string& hive) {
    if (OpenStatus(platform_, platform::kHkeyUsers, hive) == platform::kErrorSuccess) {
        return HiveReach::Reached;
    }
    bool listed = false;
    const auto file = ProfileHiveFile(platform_, hive, &listed);
    if (!listed) {
        return HiveReach::Gone;
    }
    if (!file || file->empty()) {
        return HiveReach::OutOfReach;
    }
    if (FileIsGone(platform_, *file)) {
        return HiveReach::Gone;
    }
    if (!modregistry::LoadKey(platform_, hive, *file)) {
        return HiveReach::OutOfReach;
    }
    loaded_.push_back(hive);
    return HiveReach::Reached;
}

std::optional<std::vector<std::string>> AccountHives::accounts() {
    const auto loaded = SubkeyNames(platform_, platform::kHkeyUsers, "");
    const auto profiles =
        SubkeyNames(platform_, platform::kHkeyLocalMachine, std::string(kProfileList));
    if (!loaded || !profiles) {
        return std::nullopt;
    }
    std::vector<std::string> accounts;
    for (const auto* names : {&*loaded, &*profiles}) {
        for (const std::string& name : *names) {
            // A user's file associations are loaded beside the hive as
            // <SID>_Classes; they are no account.
            const std::string folded = Folded(name);
            if (folded.size() > 8 && folded.ends_with("_classes")) {
                continue;
            }
            const std::string sid = folded == ".default" ? std::string(kLocalSystem) : name;
            const bool seen = std::any_of(accounts.begin(), accounts.end(),
                                          [&sid](const auto& a) { return SameAccount(a, sid); });
            if (!seen) {
                accounts.push_back(sid);
            }
        }
    }
    return accounts;
}

} // namespace tarrow::shutdown
