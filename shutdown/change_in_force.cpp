#include "shutdown/change_in_force.h"

#include "platform/handles.h"
#include "registry/modregistry.h"
#include "shutdown/markers.h"
#include "shutdown/saved_value.h"
#include "shutdown/timeout_places.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace tarrow::shutdown {

using platform::Platform;

namespace {

// Whether the account's markers are set or may be: an account out of reach
// may have them set, one that is gone has none.
bool MarkersMayBeSet(Platform& platform, const ReachedAccount& account) {
    switch (account.reach) {
    case HiveReach::Reached:
        return ReadMarkers(platform, account.keys).any();
    case HiveReach::Gone:
        return false;
    case HiveReach::OutOfReach:
        break;
    }
    return true;
}

// Whether the value shows Tarrow's change: it is Tarrow's own text, and the
// copy (when it can be read) holds something else there that the apply
// wrote over.
bool ShowsTheChange(const modregistry::StoredValue& now, const SavedValue* saved) {
    if (!HoldsTarrowText(now)) {
        return false;
    }
    return saved == nullptr || (saved->kind != SavedKind::LeftAlone && SavedValueOf(now) != *saved);
}

// Whether a pair within reach shows the change: the machine's places, and
// place 0 in each of `accounts`. `copy` is nothing for a damaged copy.
bool APairShowsTheChange(Platform& platform, AccountHives& hives,
                         const std::vector<AccountKeys>& accounts, const SavedValues* copy) {
    const auto& pairs = ReadingOrder();
    for (std::size_t k = 0; k < pairs.size(); ++k) {
        const ReadPair& pair = pairs[k];
        const SavedValue* saved = copy != nullptr ? &(*copy)[k] : nullptr;
        const auto shows = [&](const AccountKeys& account) {
            const KeyAt key = PlaceKey(*pair.place, account);
            return ShowsTheChange(modregistry::ReadStoredValue(platform, key.root, key.path,
                                                               std::string(pair.valueName)),
                                  saved);
        };
        if (pair.place->root == RegistryRoot::CurrentUser) {
            if (std::any_of(accounts.begin(), accounts.end(), shows)) {
                return true;
            }
        } else if (pair.place->root != RegistryRoot::Users ||
                   hives.reachUsersHive(UsersHiveOf(*pair.place)) == HiveReach::Reached) {
            if (shows(AccountKeys{})) {
                return true;
            }
        }
    }
    return false;
}

// Who applied an earlier version's copy, which recorded no AppliedBy: the
// one account whose "Change" marker is set. "" when none or several are, or
// when an account's hive cannot be looked at; `claimed` tells whether a
// marker is set, or may be.
std::string SoleClaimant(Platform& platform, AccountHives& hives, bool* claimed) {
    const auto accounts = hives.accounts();
    if (!accounts) {
        *claimed = true;
        return {};
    }
    std::vector<std::string> claimants;
    bool unsure = false;
    for (const std::string& sid : *accounts) {
        const ReachedAccount account = hives.reach(sid);
        if (account.reach == HiveReach::OutOfReach) {
            unsure = true;
        } else if (account.reached() && ReadMarkers(platform, account.keys).change) {
            claimants.push_back(sid);
        }
    }
    *claimed = unsure || !claimants.empty();
    return !unsure && claimants.size() == 1 ? claimants.front() : std::string();
}

// Whether the account's shutdown sound is silenced as the apply silences it
// (an empty default value), which a copy with a saved sound may still have
// to undo: a restore cut short after the time-outs but before the sound
// leaves every pair back and only this to tell.
bool SoundShowsTheChange(Platform& platform, const AccountKeys& account) {
    const auto sound =
        modregistry::ReadStoredValue(platform, account.root, account.path(kShutdownSoundKey), "");
    return sound.found == modregistry::StoredValue::Found::Value &&
           sound.kind == platform::kRegSz &&
           std::all_of(sound.bytes.begin(), sound.bytes.end(), [](auto b) { return b == 0; });
}

// Whether a readable copy's change may still be in force (see the header).
bool ValidCopyInForce(Platform& platform, AccountHives& hives, const std::string& owner,
                      bool claimed, const SavedCopy& copy) {
    if (owner.empty()) {
        return claimed || APairShowsTheChange(platform, hives, {}, &copy.values);
    }
    const ReachedAccount account = hives.reach(owner);
    if (MarkersMayBeSet(platform, account)) {
        return true;
    }
    std::vector<AccountKeys> place0;
    if (account.reached()) {
        if (copy.hasSound && SoundShowsTheChange(platform, account.keys)) {
            return true;
        }
        place0.push_back(account.keys);
    }
    return APairShowsTheChange(platform, hives, place0, &copy.values);
}

// Whether a damaged copy's change may still be in force (see the header).
bool DamagedCopyMayBeInForce(Platform& platform, AccountHives& hives) {
    std::vector<AccountKeys> place0;
    std::vector<std::string> accounts{hives.runningAccount()};
    if (const auto appliedBy = ReadAppliedBy(platform)) {
        accounts.push_back(*appliedBy);
    }
    for (const std::string& sid : accounts) {
        const ReachedAccount account = hives.reach(sid);
        if (MarkersMayBeSet(platform, account)) {
            return true;
        }
        if (account.reached()) {
            place0.push_back(account.keys);
        }
    }
    return APairShowsTheChange(platform, hives, place0, nullptr);
}

} // namespace

bool SameAccount(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

std::string RunningAccount(Platform& platform) {
    platform::UniqueHandle token(platform);
    std::string sid;
    if (!platform.OpenProcessToken(platform.GetCurrentProcess(), platform::kTokenQuery,
                                   token.put()) ||
        !platform.GetTokenUserSid(token.get(), &sid)) {
        return {};
    }
    return sid;
}

std::string AccountName(Platform& platform, const std::string& sid) {
    if (sid.empty()) {
        return "(unknown)";
    }
    std::string name;
    std::string domain;
    if (!platform.LookupAccountSidA(sid, &name, &domain) || name.empty()) {
        return sid;
    }
    return domain.empty() ? name : domain + "\\" + name;
}

std::optional<std::string> ReadAppliedBy(Platform& platform) {
    const auto stored =
        modregistry::ReadStoredValue(platform, RegistryRoot::LocalMachine, std::string(kTarrowKey),
                                     std::string(kAppliedByValue));
    if (stored.found != modregistry::StoredValue::Found::Value || stored.kind != platform::kRegSz) {
        return std::nullopt;
    }
    std::string sid(stored.bytes.begin(), stored.bytes.end());
    sid = sid.substr(0, sid.find('\0'));
    if (sid.empty()) {
        return std::nullopt;
    }
    return sid;
}

bool RecordAppliedBy(Platform& platform, const std::string& sid) {
    return !sid.empty() &&
           modregistry::SetValue(platform, ValueKind::Text, RegistryRoot::LocalMachine,
                                 std::string(kTarrowKey), std::string(kAppliedByValue), sid) &&
           modregistry::FlushKey(platform, RegistryRoot::LocalMachine, std::string(kTarrowKey));
}

bool MarkChangeInForce(Platform& platform) {
    return modregistry::SetValue(platform, ValueKind::Text, RegistryRoot::LocalMachine,
                                 std::string(kTarrowKey), std::string(kChangeInForceValue), "1") &&
           modregistry::FlushKey(platform, RegistryRoot::LocalMachine, std::string(kTarrowKey));
}

bool ClearChangeInForce(Platform& platform) {
    if (modregistry::ReadStoredValue(platform, RegistryRoot::LocalMachine, std::string(kTarrowKey),
                                     std::string(kChangeInForceValue))
            .found != modregistry::StoredValue::Found::Value) {
        return true; // nothing to clear, and nothing to write to disk
    }
    return modregistry::DeleteValue(platform, RegistryRoot::LocalMachine, std::string(kTarrowKey),
                                    std::string(kChangeInForceValue)) &&
           modregistry::FlushKey(platform, RegistryRoot::LocalMachine, std::string(kTarrowKey));
}

ChangeInForce FindChangeInForce(Platform& platform, AccountHives& hives, SavedCopy copy) {
    ChangeInForce change;
    switch (copy.state) {
    case SavedCopy::State::None:
        change.kind = ChangeInForce::Kind::Nothing;
        break;
    case SavedCopy::State::Damaged:
        change.kind = DamagedCopyMayBeInForce(platform, hives)
                          ? ChangeInForce::Kind::Damaged
                          : ChangeInForce::Kind::DamagedLeftover;
        break;
    case SavedCopy::State::Valid: {
        const auto appliedBy = ReadAppliedBy(platform);
        bool claimed = true;
        const std::string owner = appliedBy ? *appliedBy : SoleClaimant(platform, hives, &claimed);
        if (ValidCopyInForce(platform, hives, owner, claimed, copy)) {
            change.kind = ChangeInForce::Kind::InForce;
            change.owner = owner;
        } else {
            change.kind = ChangeInForce::Kind::Leftover;
        }
        break;
    }
    }
    change.copy = std::move(copy);
    return change;
}

} // namespace tarrow::shutdown
