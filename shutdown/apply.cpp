#include "shutdown/apply.h"

#include "platform/files.h"
#include "registry/modregistry.h"
#include "shutdown/markers.h"
#include "shutdown/pair_reads.h"
#include "shutdown/saved_settings.h"

namespace tarrow::shutdown {

using platform::Platform;

namespace {

constexpr int kStepsPerGroup = 10;
constexpr int kClosingSteps = 20;

PairResult WriteChosenText(Platform& platform, const WritePair& pair, const ApplyReport& report,
                           const std::string& text) {
    if (!report.valuesSaved) {
        return {&pair, text, PairOutcome::NothingSaved};
    }
    // The read gave the placeholder only when the key could not be opened;
    // writing would create a key that was not there before.
    if (report.found[pair.entry] == ReadingOrder()[pair.entry].saveDefault) {
        return {&pair, text, PairOutcome::KeyMissingAtSave};
    }
    return WriteText(platform, pair, text);
}

SoundOutcome SilenceSound(Platform& platform, const ApplyChoice& choice,
                          const ApplyReport& report) {
    if (!choice.silenceSound || !report.valuesSaved) {
        return SoundOutcome::LeftAlone;
    }
    // Only a saved sound can be put back later.
    if (!report.soundSaved) {
        return SoundOutcome::NotSaved;
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
    report.markersSet = SetMarkers(platform);
    progress.setVisible(true);
    report.found = ReadEveryPair(platform, progress, MissingKeyText::SaveDefault);

    // Save what was found, then move it where both programs find it. A file
    // whose copy failed stays in the program folder as the only copy.
    report.soundSaved =
        modregistry::SaveKey(platform, RegistryRoot::CurrentUser, std::string(kShutdownSoundKey),
                             SavedFilePath(programFolder, kSavedSoundFile));
    report.valuesSaved = platform::WriteWholeFile(
        platform, SavedFilePath(programFolder, kSavedValuesFile), ComposeSavedText(report.found));
    const std::string systemDirectory = modregistry::GetSystemdir(platform);
    report.copiedToSystem = CopySavedFiles(platform, programFolder, systemDirectory);
    report.deletedFromProgramFolder =
        DeleteSavedFiles(platform, programFolder, report.copiedToSystem);

    const std::string text = TimeoutTextFor(choice);
    for (const WriteGroup& group : WriteGroups()) {
        for (const WritePair& pair : group.pairs) {
            report.writes.push_back(WriteChosenText(platform, pair, report, text));
        }
        StepsThenPauses(progress, kStepsPerGroup, kPause);
    }
    report.sound = SilenceSound(platform, choice, report);
    StepsThenPauses(progress, kClosingSteps, kShortPause);
    ResetAndHide(progress);

    if (!report.valuesSaved) {
        report.markersCleared = ClearMarkers(platform);
    }
    return report;
}

} // namespace tarrow::shutdown
