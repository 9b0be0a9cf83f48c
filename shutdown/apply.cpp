#include "shutdown/apply.h"

#include "registry/modregistry.h"
#include "shutdown/change_in_force.h"
#include "shutdown/markers.h"
#include "shutdown/pair_reads.h"
#include "shutdown/saved_copy.h"

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
// earlier copy's, or the sound key as it is now.
bool KeepOrSaveSound(Platform& platform, const SavedCopy* earlier,
                     const std::string& systemDirectory) {
    if (earlier != nullptr && earlier->hasSound) {
        return earlier->folder == systemDirectory ||
               CopySoundFile(platform, earlier->soundPath(), systemDirectory);
    }
    if (SaveSoundFile(platform, systemDirectory)) {
        return true;
    }
    // An Importreg.dat that is not saved with the new record would be put
    // back with it: a sound from another time.
    platform.DeleteFileA(SavedFilePath(systemDirectory, kSavedSoundFile));
    return false;
}

PairResult WriteChosenText(Platform& platform, const WritePair& pair, const SavedValue& saved,
                           const std::string& text) {
    if (saved.kind == SavedKind::LeftAlone) {
        return {&pair, text, PairOutcome::LeftAlone};
    }
    return WriteText(platform, pair, text, CurrentUserKeys());
}

SoundOutcome SilenceSound(Platform& platform, const ApplyChoice& choice) {
    if (!choice.silenceSound) {
        return SoundOutcome::LeftAlone;
    }
    return modregistry::SetValue(platform, ValueKind::Text, RegistryRoot::CurrentUser,
                                 std::string(kShutdownSoundKey), "", "")
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
    const std::string systemDirectory = modregistry::GetSystemdir(platform);
    const std::string running = RunningAccount(platform);
    const ChangeInForce change = FindChangeInForce(
        platform, FindSavedCopy(platform, systemDirectory, programFolder), running);
    switch (change.kind) {
    case ChangeInForce::Kind::Damaged:
        report.outcome = ApplyOutcome::SavedCopyDamaged;
        return report;
    case ChangeInForce::Kind::InForce:
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
        break;
    case ChangeInForce::Kind::Nothing:
        break;
    }
    const SavedCopy* earlier = report.merged ? &change.copy : nullptr;

    // Who applied is on disk before the markers that a crash could leave
    // behind, so that whoever finds them knows whose they are.
    report.markersSet = RecordAppliedBy(platform, running) && SetMarkers(platform);
    progress.setMax(kApplySteps);
    progress.setVisible(true);
    const auto found = ReadEveryPairStored(platform, progress);
    report.saved = Record(found, earlier != nullptr ? &earlier->values : nullptr);

    if (report.markersSet) {
        report.soundSaved = KeepOrSaveSound(platform, earlier, systemDirectory);
        if (report.soundSaved || !choice.silenceSound) {
            report.valuesSaved = SaveValuesFile(platform, systemDirectory, report.saved);
        }
    }
    const bool changes = report.valuesSaved;

    const std::string text = TimeoutTextFor(choice);
    for (const WriteGroup& group : WriteGroups()) {
        for (const WritePair& pair : group.pairs) {
            report.writes.push_back(
                changes ? WriteChosenText(platform, pair, report.saved[pair.entry], text)
                        : PairResult{&pair, text, PairOutcome::NothingSaved});
        }
        StepsThenPauses(progress, kStepsPerGroup, kPause);
    }
    if (changes) {
        report.sound = SilenceSound(platform, choice);
    }
    StepsThenPauses(progress, kClosingSteps, kShortPause);
    ResetAndHide(progress);

    report.outcome = changes ? ApplyOutcome::Applied : ApplyOutcome::NothingSaved;
    if (!changes) {
        report.markersCleared = ClearMarkers(platform, CurrentUserKeys());
    }
    return report;
}

} // namespace tarrow::shutdown
