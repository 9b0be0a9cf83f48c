#include "shutdown/apply.h"

#include "registry/modregistry.h"
#include "shutdown/change_in_force.h"
#include "shutdown/markers.h"
#include "shutdown/pair_reads.h"
#include "shutdown/saved_copy.h"
#include "shutdown/uninstall_mark.h"

namespace tarrow::shutdown {

using platform::Platform;

namespace {

constexpr float kApplySteps = 180.0f;
constexpr int kStepsPerGroup = 10;
constexpr int kClosingSteps = 20;

// What the record holds for each pair: what is there now, except that a
// pair holding Tarrow's own text keeps what an earlier copy of the same
// change holds for it.
SavedValues Record(const std::array<modregistry::StoredValue, kTimeoutPairCount>& found,
                   const SavedValues* earlier) {
    SavedValues saved;
    for (std::size_t k = 0; k < saved.size(); ++k) {
        saved[k] = earlier != nullptr && HoldsTarrowText(found[k]) ? (*earlier)[k]
                                                                   : SavedValueOf(found[k]);
    }
    return saved;
}

// Makes Importreg.dat lie beside the record in the system directory: the
// earlier copy's, or the account's sound key as it is now.
bool KeepOrSaveSound(Platform& platform, const SavedCopy* earlier,
                     const std::string& systemDirectory, const AccountKeys& account) {
    if (earlier != nullptr && earlier->hasSound) {
        return earlier->folder == systemDirectory ||
               CopySoundFile(platform, earlier->soundPath(), systemDirectory);
    }
    if (SaveSoundFile(platform, systemDirectory, account)) {
        return true;
    }
    // An Importreg.dat that is not saved with the new record would be put
    // back with it: a sound from another time.
    platform.DeleteFileA(SavedFilePath(systemDirectory, kSavedSoundFile));
    return false;
}

PairResult WriteChosenText(Platform& platform, const WritePair& pair, const SavedValue& saved,
                           const std::string& text, const AccountKeys& account) {
    if (saved.kind == SavedKind::LeftAlone) {
        return {&pair, text, PairOutcome::LeftAlone};
    }
    return WriteText(platform, pair, text, account);
}

SoundOutcome SilenceSound(Platform& platform, const ApplyChoice& choice, const AccountKeys& account,
                          std::uint32_t& error) {
    if (!choice.silenceSound) {
        return SoundOutcome::LeftAlone;
    }
    return modregistry::SetValue(platform, ValueKind::Text, account.root,
                                 account.path(kShutdownSoundKey), "", "", &error)
               ? SoundOutcome::Silenced
               : SoundOutcome::Refused;
}

} // namespace

std::string TimeoutTextFor(const ApplyChoice& choice) {
    return std::string(choice.powerful ? kPowerfulTimeoutText : kFastTimeoutText);
}

ApplyReport Apply(Platform& platform, const std::string& programFolder, const ApplyChoice& choice,
                  Progress& progress) {
    ApplyReport report;
    // What this apply saved would outlive the program and its uninstaller.
    if (UninstallInProgress(platform)) {
        report.outcome = ApplyOutcome::BeingUninstalled;
        return report;
    }
    const std::string systemDirectory = modregistry::GetSystemdir(platform);
    const std::string running = RunningAccount(platform);
    AccountHives hives(platform, running);
    const auto find = [&] {
        return FindChangeInForce(platform, hives,
                                 FindSavedCopy(platform, systemDirectory, programFolder));
    };
    ChangeInForce change = find();
    // A damaged copy of a change that is over is set aside, and the copy
    // behind it (in the other folder) is met as any other; at most one per
    // folder.
    for (int folder = 0; folder < 2 && change.kind == ChangeInForce::Kind::DamagedLeftover;
         ++folder) {
        if (!SetDamagedCopyAside(platform, change.copy)) {
            break;
        }
        ClearChangeInForce(platform);
        change = find();
    }
    switch (change.kind) {
    case ChangeInForce::Kind::Damaged:
    case ChangeInForce::Kind::DamagedLeftover:
        report.outcome = ApplyOutcome::SavedCopyDamaged;
        return report;
    case ChangeInForce::Kind::InForce:
        if (change.owner.empty()) {
            report.outcome = ApplyOutcome::OwnerUnknown;
            return report;
        }
        if (!SameAccount(change.owner, running) || running.empty()) {
            report.outcome = ApplyOutcome::InForceElsewhere;
            report.owner = AccountName(platform, change.owner);
            return report;
        }
        report.merged = true;
        break;
    case ChangeInForce::Kind::Leftover:
        // The copy of a change that was undone: it goes before anything new
        // is saved, so that a crash cannot pair it with a new file.
        DeleteSavedCopies(platform, systemDirectory, programFolder, change.copy.folder);
        ClearChangeInForce(platform);
        break;
    case ChangeInForce::Kind::Nothing:
        break;
    }
    const SavedCopy* earlier = report.merged ? &change.copy : nullptr;

    // The running account's own part goes into its own hive, never through
    // HKEY_CURRENT_USER; out of reach, nothing is changed.
    const ReachedAccount here = hives.reachRunning();
    const AccountKeys* own = here.reached() ? &here.keys : nullptr;
    // Who applied is on disk before the markers that a crash could leave
    // behind, so that whoever finds them knows whose they are.
    report.markersSet =
        own != nullptr && RecordAppliedBy(platform, running) && SetMarkers(platform, *own);
    progress.setMax(kApplySteps);
    progress.setVisible(true);
    const auto found = ReadEveryPairStored(platform, own, progress);
    report.saved = Record(found, earlier != nullptr ? &earlier->values : nullptr);
    report.found.assign(found.begin(), found.end());

    if (report.markersSet) {
        report.soundSaved = KeepOrSaveSound(platform, earlier, systemDirectory, *own);
        if (report.soundSaved || !choice.silenceSound) {
            report.valuesSaved = SaveValuesFile(platform, systemDirectory, report.saved);
        }
    }
    // Tools that look for a change in force find it before its first write.
    const bool changes = report.valuesSaved && MarkChangeInForce(platform);

    const std::string text = TimeoutTextFor(choice);
    for (const WriteGroup& group : WriteGroups()) {
        for (const WritePair& pair : group.pairs) {
            report.writes.push_back(
                changes ? WriteChosenText(platform, pair, report.saved[pair.entry], text, *own)
                        : PairResult{&pair, text, PairOutcome::NothingSaved});
        }
        StepsThenPauses(progress, kStepsPerGroup, kPause);
    }
    if (changes) {
        report.sound = SilenceSound(platform, choice, *own, report.soundError);
    }
    StepsThenPauses(progress, kClosingSteps, kShortPause);
    ResetAndHide(progress);

    report.outcome = changes ? ApplyOutcome::Applied : ApplyOutcome::NothingSaved;
    if (!changes) {
        report.markersCleared = own == nullptr || ClearMarkers(platform, *own);
    }
    return report;
}

} // namespace tarrow::shutdown
