// An emulated machine for the shutdown operations: the eight places made as
// a test wants them, every pair and the sound key looked at as stored, and
// the saved files in both folders.
#pragma once

#include "platform/emulated/emulated_platform.h"
#include "platform/files.h"
#include "registry/modregistry.h"
#include "shutdown/change_in_force.h"
#include "shutdown/markers.h"
#include "shutdown/progress.h"
#include "shutdown/saved_settings.h"
#include "shutdown/timeout_places.h"
#include "tests/registry/registry_test_helpers.h"
#include "tests/support/test_machine.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <functional>
#include <optional>
#include <utility>
#include <string>
#include <vector>

namespace tarrow::testing {

// A pair as stored: whether its key exists, and its value (kind and bytes)
// when there is one.
struct StoredPair {
    bool keyExists = false;
    std::optional<RawValue> value;

    bool operator==(const StoredPair& other) const {
        return keyExists == other.keyExists && value.has_value() == other.value.has_value() &&
               (!value || (value->kind == other.value->kind && value->bytes == other.value->bytes));
    }
};
using Snapshot = std::array<StoredPair, kTimeoutPairCount>; // in the reading order

inline std::string Describe(const StoredPair& pair) {
    if (!pair.keyExists) {
        return "<no key>";
    }
    if (!pair.value) {
        return "<absent>";
    }
    return "kind " + std::to_string(pair.value->kind) + " \"" +
           std::string(pair.value->bytes.begin(), pair.value->bytes.end()) + "\"";
}

// The saved values that record these texts exactly.
inline SavedValues Exacts(const std::array<std::string, kTimeoutPairCount>& texts) {
    SavedValues values;
    for (std::size_t k = 0; k < texts.size(); ++k) {
        values[k] = shutdown::SavedValue::Exact(texts[k]);
    }
    return values;
}

// A bar in memory that notes how far the machine's journal of changes had
// got at each of its values, so a test can tell where the bar stood when a
// change was made.
class JournalProgress final : public shutdown::Progress {
public:
    explicit JournalProgress(const platform::EmulatedPlatform& machine) : machine_(machine) {}
    float value() const override { return bar_.value(); }
    bool setValue(float value) override {
        const bool set = bar_.setValue(value);
        marks_.push_back({machine_.journal().size(), bar_.value()});
        return set;
    }
    float max() const override { return bar_.max(); }
    bool setMax(float max) override { return bar_.setMax(max); }
    bool visible() const override { return bar_.visible(); }
    void setVisible(bool visible) override { bar_.setVisible(visible); }
    void pause(std::uint32_t rounds) override { bar_.pause(rounds); }

    // The bar's value when the journal's entry at `index` was made.
    float valueAt(std::size_t index) const {
        float value = 0.0f;
        for (const auto& [entries, at] : marks_) {
            if (entries > index) {
                break;
            }
            value = at;
        }
        return value;
    }

private:
    const platform::EmulatedPlatform& machine_;
    shutdown::MemoryProgress bar_{100.0f};
    std::vector<std::pair<std::size_t, float>> marks_;
};

struct ShutdownMachine {
    TestMachine machine;
    platform::EmulatedPlatform& emulated = *machine.emulated();
    platform::Platform& p = machine.platform();
    const std::string programFolder = "C:\\Program Files\\Tarrow";
    const std::string systemDirectory = "C:\\windows\\system32";
    shutdown::MemoryProgress bar;

    ShutdownMachine() {
        std::filesystem::create_directories(emulated.hostPath(programFolder));
        emulated.setModulePath(programFolder + "\\Tarrow.exe");
    }

    // The keys of all eight places, as on a machine with every profile.
    void CreateAllPlaces() {
        for (const TimeoutPlace& place : kTimeoutPlaces) {
            emulated.createKey(RootKey(place.root), std::string(place.keyPath));
        }
    }
    // Gives every pair whose key exists a text of its own, "t<entry>" with
    // a space inside for some; returns them in the reading order ("" where
    // the key is missing).
    std::array<std::string, kTimeoutPairCount> SetDistinctValues() {
        std::array<std::string, kTimeoutPairCount> values;
        for (std::size_t k = 0; k < kTimeoutPairCount; ++k) {
            const ReadPair& pair = ReadingOrder()[k];
            if (!KeyExists(p, pair.place->root, std::string(pair.place->keyPath))) {
                continue;
            }
            values[k] = k % 5 == 0 ? "t " + std::to_string(k) + " " : "t" + std::to_string(k);
            EXPECT_TRUE(modregistry::SetValue(p, ValueKind::Text, pair.place->root,
                                              std::string(pair.place->keyPath),
                                              std::string(TimeoutName(pair.timeout)), values[k]));
        }
        return values;
    }

    // A machine as Tarrow finds it: every place's key, a text of its own at
    // every pair and a shutdown sound; returns the texts.
    std::array<std::string, kTimeoutPairCount> FillEveryPlace() {
        CreateAllPlaces();
        auto values = SetDistinctValues();
        SetSound("tada.wav");
        return values;
    }

    StoredPair Stored(std::size_t entry) {
        const ReadPair& pair = ReadingOrder()[entry];
        const std::string keyPath(pair.place->keyPath);
        StoredPair stored;
        stored.keyExists = KeyExists(p, pair.place->root, keyPath);
        RawValue raw =
            ReadRaw(p, pair.place->root, keyPath, std::string(TimeoutName(pair.timeout)), 256);
        if (raw.status == platform::kErrorSuccess) {
            stored.value = std::move(raw);
        }
        return stored;
    }
    Snapshot TakeSnapshot() {
        Snapshot snapshot;
        for (std::size_t k = 0; k < kTimeoutPairCount; ++k) {
            snapshot[k] = Stored(k);
        }
        return snapshot;
    }
    // The pair's value as a string value, or nullopt when it is no string.
    // Windows hands over a NUL after a string stored without one.
    std::optional<std::string> Text(std::size_t entry) {
        const StoredPair stored = Stored(entry);
        if (!stored.value || stored.value->kind != platform::kRegSz) {
            return std::nullopt;
        }
        std::string text(stored.value->bytes.begin(), stored.value->bytes.end());
        if (!text.empty() && text.back() == '\0') {
            text.pop_back();
        }
        return text;
    }

    std::string MarkerText(const Marker& marker) {
        return modregistry::GetValue(p, RegistryRoot::CurrentUser, std::string(marker.keyPath),
                                     std::string(marker.valueName), "<no key>");
    }
    std::string Sound() {
        return modregistry::GetValue(p, RegistryRoot::CurrentUser, std::string(kShutdownSoundKey),
                                     "", "<no key>");
    }
    void SetSound(const std::string& file) {
        ASSERT_TRUE(modregistry::SetValue(p, ValueKind::Text, RegistryRoot::CurrentUser,
                                          std::string(kShutdownSoundKey), "", file));
    }

    // A saved copy of the running account's change, as an apply leaves it:
    // the file, the record of who applied and the markers.
    void PlaceSavedCopy(const SavedValues& values, const std::string& folder) {
        ASSERT_TRUE(platform::WriteWholeFile(p, SavedFilePath(folder, kSavedValuesFile),
                                             ComposeSavedText(values)));
        const std::string running = shutdown::RunningAccount(p);
        ASSERT_TRUE(shutdown::RecordAppliedBy(p, running));
        ASSERT_TRUE(shutdown::SetMarkers(p, shutdown::KeysOf(running)));
    }
    void PlaceSavedCopy(const SavedValues& values) { PlaceSavedCopy(values, systemDirectory); }

    std::string InProgramFolder(std::string_view file) const {
        return SavedFilePath(programFolder, file);
    }
    std::string InSystemDirectory(std::string_view file) const {
        return SavedFilePath(systemDirectory, file);
    }
    std::optional<std::string> Content(const std::string& path) {
        return platform::ReadWholeFile(p, path);
    }
    // The file as it lies on disk, whatever faults the machine has.
    std::optional<std::string> OnDisk(const std::string& path) const {
        std::ifstream file(emulated.hostPath(path), std::ios::binary);
        if (!file) {
            return std::nullopt;
        }
        return std::string(std::istreambuf_iterator<char>(file), {});
    }
    bool Exists(const std::string& path) {
        return p.GetFileAttributesA(path) != platform::kInvalidFileAttributes;
    }
};

// A step of the machine made to fail, for running an operation once per
// fault.
struct Fault {
    std::string name;
    std::function<void(ShutdownMachine&)> inject;
};

// Writes refused at each of the eight places in turn and, with `opens`,
// each place's key refusing to open.
inline std::vector<Fault> FaultsAtEveryPlace(bool opens) {
    std::vector<Fault> faults;
    for (const TimeoutPlace& place : kTimeoutPlaces) {
        const platform::Key root = RootKey(place.root);
        const std::string key(place.keyPath);
        const std::string where = " at place " + std::to_string(place.index);
        faults.push_back({"writes" + where, [root, key](ShutdownMachine& m) {
                              m.emulated.failValueWrites(root, key);
                          }});
        if (opens) {
            faults.push_back({"key open" + where, [root, key](ShutdownMachine& m) {
                                  m.emulated.failKeyOpen(root, key);
                              }});
        }
    }
    return faults;
}

} // namespace tarrow::testing
