#include "shutdown/restore.h"

#include "platform/files.h"
#include "registry/modregistry.h"
#include "shutdown/markers.h"
#include "shutdown/saved_settings.h"
#include "shutdown/timeout_places.h"

namespace tarrow::shutdown {

using platform::Platform;

namespace {

constexpr float kFull = 100.0f;
constexpr int kStepsPerGroup = 10;

PairResult WriteBack(Platform& platform, const WritePair& pair, const SavedEntries& entries) {
    if (pair.entry >= entries.found) {
        return {&pair, {}, PairOutcome::NoSavedLine};
    }
    const std::string& saved = entries.values[pair.entry];
    if (IsKeyMissingPlaceholder(saved)) {
        return {&pair, saved, PairOutcome::KeyMissingAtSave};
    }
    // An empty entry: the value was absent when saved. An empty string in
    // its place could be read as a time-out of 0.
    if (saved.empty()) {
        return RemoveValue(platform, pair);
    }
    return WriteText(platform, pair, saved);
}

void WriteGroupBack(Platform& platform, const WriteGroup& group, const SavedEntries& entries,
                    RestoreReport& report) {
    for (const WritePair& pair : group.pairs) {
        report.writes.push_back(WriteBack(platform, pair, entries));
    }
}

} // namespace

RestoreReport Restore(Platform& platform, const std::string& programFolder, Progress& progress) {
    RestoreReport report;
    report.markersCleared = ClearMarkers(platform);
    progress.setMax(kFull);
    const std::string systemDirectory = modregistry::GetSystemdir(platform);
    report.copiedFromSystem = CopySavedFiles(platform, systemDirectory, programFolder);

    const auto text =
        platform::ReadWholeFile(platform, SavedFilePath(programFolder, kSavedValuesFile));
    const SavedEntries entries = ParseSavedEntries(text.value_or(std::string()));
    report.entriesFound = entries.found;
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
    WriteGroupBack(platform, groups.front(), entries, report);
    progress.setVisible(true);
    for (std::size_t g = 1; g < groups.size(); ++g) {
        StepsThenPauses(progress, kStepsPerGroup, kPause);
        WriteGroupBack(platform, groups[g], entries, report);
    }

    report.soundRestored =
        modregistry::RestoreKey(platform, RegistryRoot::CurrentUser, std::string(kShutdownSoundKey),
                                SavedFilePath(programFolder, kSavedSoundFile));
    Advance(progress, 10.0f);
    progress.pause(kLongPause);
    Advance(progress, 20.0f);
    progress.pause(kLongPause);
    ResetAndHide(progress);
    return report;
}

} // namespace tarrow::shutdown
