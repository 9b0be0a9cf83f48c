#include "shutdown/restore.h"

#include "registry/modregistry.h"
#include "shutdown/account_keys.h"
#include "shutdown/change_in_force.h"
#include "shutdown/markers.h"
#include "shutdown/saved_copy.h"
#include "shutdown/timeout_places.h"

#include <algorithm>
#include <optional>

namespace tarrow::shutdown {

using platform::Platform;

namespace {

constexpr float kFull = 100.0f;
constexpr int kStepsPerGroup = 10;

// Where the values of one restore go, and what it has reached.
struct Targets {
    AccountHives& hives;
    std::optional<AccountKeys> owner; // the applying account's keys, when reached
};

PairResult WriteBack(Platform& platform, const WritePair& pair, const SavedValue& saved,
                     Targets& targets) {
    if (saved.kind == SavedKind::LeftAlone) {
        return {&pair, {}, PairOutcome::LeftAlone};
    }
    const TimeoutPlace& place = *pair.place;
    if (place.root == RegistryRoot::CurrentUser && !targets.owner) {
        return {&pair, saved.text, PairOutcome::Unreachable};
    }
    // An account's hive that is not loaded is loaded from its profile; an
    // account that has none is gone, with the values it held.
    if (place.root == RegistryRoot::Users) {
        const std::string_view path = place.keyPath;
        if (!targets.hives.reachUsersHive(std::string(path.substr(0, path.find('\\'))))) {
            return {&pair, saved.text, PairOutcome::NoAccount};
        }
    }
    const AccountKeys account = targets.owner.value_or(CurrentUserKeys());
    if (saved.kind == SavedKind::Absent) {
        return RemoveValue(platform, pair, account);
    }
    return WriteText(platform, pair, saved.text, account);
}

void WriteGroupBack(Platform& platform, const WriteGroup& group, const SavedValues& saved,
                    Targets& targets, RestoreReport& report) {
    for (const WritePair& pair : group.pairs) {
        report.writes.push_back(WriteBack(platform, pair, saved[pair.entry], targets));
    }
}

// The hives written to, on disk before the copy that could write them again
// goes.
bool FlushWrittenHives(Platform& platform, const AccountKeys& owner) {
    bool flushed = modregistry::FlushKey(platform, owner.root, owner.path(kChangeMarker.keyPath)) ||
                   modregistry::FlushKey(platform, owner.root, owner.path(kSavedMarker.keyPath));
    for (const TimeoutPlace& place : kTimeoutPlaces) {
        const KeyAt key = PlaceKey(place, owner);
        // A place whose key is not there was not written.
        flushed = (modregistry::FlushKey(platform, key.root, key.path) ||
                   modregistry::ReadStoredValue(platform, key.root, key.path, "").found ==
                       modregistry::StoredValue::Found::NoKey) &&
                  flushed;
    }
    return flushed;
}

} // namespace

bool Completed(RestoreOutcome outcome) {
    return outcome == RestoreOutcome::Restored || outcome == RestoreOutcome::NothingToRestore;
}

RestoreReport Restore(Platform& platform, const std::string& programFolder, Progress& progress) {
    RestoreReport report;
    progress.setMax(kFull);
    const std::string systemDirectory = modregistry::GetSystemdir(platform);
    const std::string running = RunningAccount(platform);
    const ChangeInForce change = FindChangeInForce(
        platform, FindSavedCopy(platform, systemDirectory, programFolder), running);
    const bool inForce = change.kind == ChangeInForce::Kind::InForce;

    AccountHives hives(platform, running);
    Targets targets{hives, std::nullopt};
    // The markers of a change that is over belong to whoever it names.
    const std::string owner = inForce ? change.owner : ReadAppliedBy(platform).value_or(running);
    targets.owner = hives.reach(owner);

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
    if (inForce) {
        WriteGroupBack(platform, groups.front(), change.copy.values, targets, report);
    }
    progress.setVisible(true);
    for (std::size_t g = 1; g < groups.size(); ++g) {
        StepsThenPauses(progress, kStepsPerGroup, kPause);
        if (inForce) {
            WriteGroupBack(platform, groups[g], change.copy.values, targets, report);
        }
    }

    bool soundBack = true;
    if (inForce && change.copy.hasSound) {
        report.soundRestored =
            targets.owner && modregistry::RestoreKey(platform, targets.owner->root,
                                                     targets.owner->path(kShutdownSoundKey),
                                                     change.copy.soundPath());
        soundBack = report.soundRestored;
    }
    Advance(progress, 10.0f);
    progress.pause(kLongPause);
    Advance(progress, 20.0f);
    progress.pause(kLongPause);
    ResetAndHide(progress);

    if (change.kind == ChangeInForce::Kind::Damaged) {
        report.outcome = RestoreOutcome::Damaged;
        return report;
    }
    const bool allBack =
        std::all_of(report.writes.begin(), report.writes.end(),
                    [](const PairResult& result) { return PutBack(result.outcome); });
    if (!allBack || !soundBack ||
        (inForce && (!targets.owner || !FlushWrittenHives(platform, *targets.owner)))) {
        report.outcome = RestoreOutcome::Incomplete;
        return report;
    }
    report.copiesDeleted =
        DeleteSavedCopies(platform, systemDirectory, programFolder, change.copy.folder);
    if (!report.copiesDeleted) {
        report.outcome = RestoreOutcome::Incomplete;
        return report;
    }
    // AppliedBy stays: it tells whose markers these are to whoever meets
    // them, should the power go before they are cleared.
    report.markersCleared = !targets.owner || ClearMarkers(platform, *targets.owner);
    report.outcome = inForce ? RestoreOutcome::Restored : RestoreOutcome::NothingToRestore;
    return report;
}

} // namespace tarrow::shutdown
