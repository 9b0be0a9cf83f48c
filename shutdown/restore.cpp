#include "shutdown/restore.h"

#include "registry/modregistry.h"
#include "shutdown/account_keys.h"
#include "shutdown/change_in_force.h"
#include "shutdown/markers.h"
#include "shutdown/saved_copy.h"
#include "shutdown/timeout_places.h"

#include <algorithm>
#include <vector>

namespace tarrow::shutdown {

using platform::Platform;

namespace {

constexpr float kFull = 100.0f;
constexpr int kStepsPerGroup = 10;

// What a pair, or the sound, becomes where its hive lies as `reach` says:
// nothing to do for an account that is gone, with the values it held.
PairOutcome NotWritten(HiveReach reach) {
    return reach == HiveReach::Gone ? PairOutcome::NoAccount : PairOutcome::Unreachable;
}

// Where the values of one restore go, and what it has reached.
struct Targets {
    AccountHives& hives;
    ReachedAccount owner; // the applying account's keys: out of reach when it is unknown
};

PairResult WriteBack(Platform& platform, const WritePair& pair, const SavedValue& saved,
                     Targets& targets) {
    if (saved.kind == SavedKind::LeftAlone) {
        return {&pair, {}, PairOutcome::LeftAlone};
    }
    const TimeoutPlace& place = *pair.place;
    if (place.root == RegistryRoot::CurrentUser && !targets.owner.reached()) {
        return {&pair, saved.text, NotWritten(targets.owner.reach)};
    }
    // An account's hive that is not loaded is loaded from its profile.
    if (place.root == RegistryRoot::Users) {
        const HiveReach reach = targets.hives.reachUsersHive(UsersHiveOf(place));
        if (reach != HiveReach::Reached) {
            return {&pair, saved.text, NotWritten(reach)};
        }
    }
    if (saved.kind == SavedKind::Absent) {
        return RemoveValue(platform, pair, targets.owner.keys);
    }
    return WriteText(platform, pair, saved.text, targets.owner.keys);
}

void WriteGroupBack(Platform& platform, const WriteGroup& group, const SavedValues& saved,
                    Targets& targets, RestoreReport& report) {
    for (const WritePair& pair : group.pairs) {
        report.writes.push_back(WriteBack(platform, pair, saved[pair.entry], targets));
    }
}

// The hives written to, on disk before the copy that could write them again
// goes: the owner's own keys (unless it is gone) and the machine's places.
bool FlushWrittenHives(Platform& platform, const ReachedAccount& owner) {
    bool flushed = true;
    if (owner.reached()) {
        const AccountKeys& keys = owner.keys;
        flushed = modregistry::FlushKey(platform, keys.root, keys.path(kChangeMarker.keyPath)) ||
                  modregistry::FlushKey(platform, keys.root, keys.path(kSavedMarker.keyPath));
    }
    for (const TimeoutPlace& place : kTimeoutPlaces) {
        if (place.root == RegistryRoot::CurrentUser && !owner.reached()) {
            continue;
        }
        const KeyAt key = PlaceKey(place, owner.keys);
        // A place whose key is not there was not written.
        flushed = (modregistry::FlushKey(platform, key.root, key.path) ||
                   modregistry::ReadStoredValue(platform, key.root, key.path, "").found ==
                       modregistry::StoredValue::Found::NoKey) &&
                  flushed;
    }
    return flushed;
}

// Clears the markers of each account once a change is over: the owner's,
// those of whoever the record names (which a crash may have left behind),
// and the running account's own, which nothing else would clear. An
// account that is gone has none left; one out of reach keeps them.
bool ClearEveryMarker(Platform& platform, AccountHives& hives,
                      const std::vector<std::string>& accounts) {
    std::vector<std::string> done;
    bool cleared = true;
    for (const std::string& sid : accounts) {
        const bool seen = std::any_of(done.begin(), done.end(), [&sid](const auto& other) {
            return SameAccount(other, sid);
        });
        if (sid.empty() || seen) {
            continue;
        }
        done.push_back(sid);
        const ReachedAccount account = hives.reach(sid);
        if (account.reached()) {
            cleared = ClearMarkers(platform, account.keys) && cleared;
        } else if (account.reach == HiveReach::OutOfReach) {
            cleared = false;
        }
    }
    return cleared;
}

} // namespace

bool Completed(RestoreOutcome outcome) {
    return outcome == RestoreOutcome::Restored || outcome == RestoreOutcome::NothingToRestore;
}

RestoreReport Restore(Platform& platform, const std::string& programFolder, Progress& progress) {
    RestoreReport report;
    progress.setMax(kFull);
    const std::string systemDirectory = modregistry::GetSystemdir(platform);
    AccountHives hives(platform, RunningAccount(platform));
    const ChangeInForce change =
        FindChangeInForce(platform, hives, FindSavedCopy(platform, systemDirectory, programFolder));
    const bool inForce = change.kind == ChangeInForce::Kind::InForce;
    const bool ownerUnknown = inForce && change.owner.empty();
    // With the owner unknown nothing is written, not even the machine's
    // places: put back, they would make the copy look like a leftover to
    // the next run, which would delete it with the owner's own part still
    // in force somewhere.
    const bool writes = inForce && !ownerUnknown;

    // Place 0, the sound and the markers go to the account that applied,
    // and to no other: when it is unknown, that part is out of reach.
    Targets targets{hives, inForce ? hives.reach(change.owner) : ReachedAccount{}};

    for (std::size_t k = 0; k < kTimeoutPairCount; ++k) {
        if (progress.value() != kFull) {
            progress.pause(kShortPause);
            Advance(progress);
        }
    }
    ResetAndHide(progress);

    // The first group is written with the bar hidden; the bar shows again
    // for the ten steps before each of the others.
    const auto& groups = WriteGroups();
    if (writes) {
        report.saved = change.copy.values;
        report.soundSaved = change.copy.hasSound;
        WriteGroupBack(platform, groups.front(), change.copy.values, targets, report);
    }
    progress.setVisible(true);
    for (std::size_t g = 1; g < groups.size(); ++g) {
        StepsThenPauses(progress, kStepsPerGroup, kPause);
        if (writes) {
            WriteGroupBack(platform, groups[g], change.copy.values, targets, report);
        }
    }

    bool soundBack = true;
    if (writes && change.copy.hasSound) {
        const ReachedAccount& owner = targets.owner;
        report.soundRestored =
            owner.reached() &&
            modregistry::RestoreKey(platform, owner.keys.root, owner.keys.path(kShutdownSoundKey),
                                    change.copy.soundPath(), &report.soundError);
        soundBack = report.soundRestored || owner.reach == HiveReach::Gone;
    }
    Advance(progress, 10.0f);
    progress.pause(kLongPause);
    Advance(progress, 20.0f);
    progress.pause(kLongPause);
    ResetAndHide(progress);

    if (change.kind == ChangeInForce::Kind::Damaged ||
        change.kind == ChangeInForce::Kind::DamagedLeftover) {
        report.outcome = RestoreOutcome::Damaged;
        return report;
    }
    if (ownerUnknown) {
        report.outcome = RestoreOutcome::OwnerUnknown;
        return report;
    }
    const bool allBack =
        std::all_of(report.writes.begin(), report.writes.end(),
                    [](const PairResult& result) { return PutBack(result.outcome); });
    // The owner's markers must be reached to be cleared, unless it is gone.
    const bool ownerDone = !inForce || targets.owner.reach != HiveReach::OutOfReach;
    if (!allBack || !soundBack || !ownerDone ||
        (inForce && !FlushWrittenHives(platform, targets.owner))) {
        report.outcome = RestoreOutcome::Incomplete;
        return report;
    }
    // An earlier version's copy recorded nobody; its owner is recorded before
    // the copy goes, or markers a cut leaves behind would be nobody's, and a
    // restore run by another account would leave them set for good.
    if (inForce && !ReadAppliedBy(platform) && !RecordAppliedBy(platform, change.owner)) {
        report.outcome = RestoreOutcome::Incomplete;
        return report;
    }
    // The mark of a change in force goes with its copy, and is on disk
    // before the markers that would call for another restore are cleared.
    report.copiesDeleted =
        DeleteSavedCopies(platform, systemDirectory, programFolder, change.copy.folder) &&
        ClearChangeInForce(platform);
    if (!report.copiesDeleted) {
        report.outcome = RestoreOutcome::Incomplete;
        return report;
    }
    // AppliedBy stays: it tells whose markers these are to whoever meets
    // them, should the power go before they are cleared.
    report.markersCleared =
        ClearEveryMarker(platform, hives,
                         {inForce ? change.owner : std::string(),
                          ReadAppliedBy(platform).value_or(std::string()), hives.runningAccount()});
    report.outcome = inForce ? RestoreOutcome::Restored : RestoreOutcome::NothingToRestore;
    return report;
}

} // namespace tarrow::shutdown
