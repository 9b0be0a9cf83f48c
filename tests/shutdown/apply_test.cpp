// The speed-up on the emulated machine: what it saves, what it writes, what
// it leaves alone, and that no saved file is lost when any step fails.
#include "shutdown/apply.h"

#include "shutdown/restore.h"

#include "tests/shutdown/shutdown_machine.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace tarrow::shutdown {
namespace {

using testing::Fault;
using testing::ShutdownMachine;
using testing::Snapshot;

constexpr std::uint64_t kApplyRounds = 160ull * kPause + 20ull * kShortPause;

TEST(Apply, WritesTheChosenTextToEveryPairAndSavesWhatWasThereBeforeByteForByte) {
    struct Case {
        ApplyChoice choice;
        const char* text;
    };
    const Case cases[] = {
        {{true, false}, "0"},
        {{false, false}, "10"},
        {{false, true}, "10"},
        {{true, true}, "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + (c.choice.silenceSound ? " and silence" : ""));
        ShutdownMachine m;
        const auto before = m.FillEveryPlace();

        const ApplyReport report = Apply(m.p, m.programFolder, c.choice, m.bar);

        EXPECT_TRUE(report.markersSet);
        EXPECT_TRUE(report.valuesSaved);
        EXPECT_TRUE(report.soundSaved);
        EXPECT_EQ(report.found, before);
        ASSERT_EQ(report.writes.size(), kTimeoutPairCount);
        for (std::size_t w = 0; w < report.writes.size(); ++w) {
            EXPECT_EQ(report.writes[w].pair, &WritingOrder()[w]);
            EXPECT_EQ(report.writes[w].outcome, PairOutcome::Written);
        }
        for (std::size_t k = 0; k < kTimeoutPairCount; ++k) {
            EXPECT_EQ(m.Text(k), c.text) << "pair " << k;
        }
        // The lasting copies lie in the system directory; the program
        // folder keeps none.
        EXPECT_EQ(m.Content(m.InSystemDirectory(kSavedValuesFile)), ComposeSavedText(before));
        EXPECT_TRUE(m.Exists(m.InSystemDirectory(kSavedSoundFile)));
        EXPECT_FALSE(m.Exists(m.InProgramFolder(kSavedValuesFile)));
        EXPECT_FALSE(m.Exists(m.InProgramFolder(kSavedSoundFile)));
        EXPECT_EQ(m.MarkerText(kChangeMarker), "1");
        EXPECT_EQ(m.MarkerText(kSavedMarker), "1");
        EXPECT_EQ(m.Sound(), c.choice.silenceSound ? "" : "tada.wav");
        EXPECT_EQ(report.sound,
                  c.choice.silenceSound ? SoundOutcome::Silenced : SoundOutcome::LeftAlone);
        // 80 steps while reading, 80 while writing, 20 at the end.
        EXPECT_EQ(m.bar.highest(), 180.0f);
        EXPECT_EQ(m.bar.pauses(), 180);
        EXPECT_EQ(m.bar.pausedRounds(), kApplyRounds);
        EXPECT_FALSE(m.bar.visible());
        EXPECT_EQ(m.bar.value(), 0.0f);
        EXPECT_EQ(m.emulated.openKeyCount(), 0u);
        EXPECT_EQ(m.emulated.openHandleCount(), 0u);
    }
}

TEST(Apply, LeavesPlacesWhoseKeyWasMissingAloneAndSavesTheirPlaceholders) {
    // A fresh machine has the user's own and the default profile's keys only.
    ShutdownMachine m;
    modregistry::SetValue(m.p, ValueKind::Text, RegistryRoot::CurrentUser, "Control Panel\\Desktop",
                          "HungAppTimeout", "5000");
    const Snapshot before = m.TakeSnapshot();

    const ApplyReport report = Apply(m.p, m.programFolder, {true, false}, m.bar);

    const std::string saved = *m.Content(m.InSystemDirectory(kSavedValuesFile));
    EXPECT_EQ(saved.substr(0, 31), "0: 5000\r\n0: \r\n0: \r\n0: \r\n1: NO\r\n")
        << "absent values are saved empty, missing keys as NO";
    EXPECT_NE(saved.find("6: NO\r\n6: NO \r\n6: NO\r\n6: NO\r\n7: NO\r\n"), std::string::npos);
    for (const PairResult& write : report.writes) {
        const bool placeExists = write.pair->place->index == 0 || write.pair->place->index == 3;
        EXPECT_EQ(write.outcome,
                  placeExists ? PairOutcome::Written : PairOutcome::KeyMissingAtSave);
    }
    const Snapshot after = m.TakeSnapshot();
    for (std::size_t k = 0; k < kTimeoutPairCount; ++k) {
        if (!before[k].keyExists) {
            EXPECT_FALSE(after[k].keyExists) << "no key is created, pair " << k;
        } else {
            EXPECT_EQ(m.Text(k), "0");
        }
    }
}

TEST(Apply, ChangesNothingWhenTheValuesCannotBeSaved) {
    ShutdownMachine m;
    m.FillEveryPlace();
    // An older saved file from another apply lies in the system directory.
    ASSERT_TRUE(platform::WriteWholeFile(m.p, m.InSystemDirectory(kSavedValuesFile), "older"));
    m.emulated.failCreate(m.InProgramFolder(kSavedValuesFile));
    const Snapshot before = m.TakeSnapshot();

    const ApplyReport report = Apply(m.p, m.programFolder, {true, true}, m.bar);

    EXPECT_FALSE(report.valuesSaved);
    EXPECT_EQ(m.TakeSnapshot(), before);
    for (const PairResult& write : report.writes) {
        EXPECT_EQ(write.outcome, PairOutcome::NothingSaved);
    }
    EXPECT_EQ(m.Sound(), "tada.wav");
    EXPECT_EQ(report.sound, SoundOutcome::LeftAlone);
    EXPECT_TRUE(report.markersCleared);
    EXPECT_EQ(m.MarkerText(kChangeMarker), "0");
    EXPECT_EQ(m.MarkerText(kSavedMarker), "0");
    EXPECT_EQ(m.Content(m.InSystemDirectory(kSavedValuesFile)), "older");
    EXPECT_FALSE(m.bar.visible());
    EXPECT_EQ(m.bar.value(), 0.0f);
}

TEST(Apply, ASecondApplyAfterARestoreSavesWhatItFindsThen) {
    ShutdownMachine m;
    m.SetDistinctValues();
    Apply(m.p, m.programFolder, {true, false}, m.bar);
    Restore(m.p, m.programFolder, m.bar);
    ASSERT_TRUE(modregistry::SetValue(m.p, ValueKind::Text, RegistryRoot::CurrentUser,
                                      "Control Panel\\Desktop", "HungAppTimeout", "1234"));
    const ApplyReport second = Apply(m.p, m.programFolder, {false, false}, m.bar);
    EXPECT_EQ(second.found[0], "1234");
    EXPECT_EQ(m.Content(m.InSystemDirectory(kSavedValuesFile)), ComposeSavedText(second.found))
        << "the system directory's copy is replaced";
    EXPECT_EQ(m.Text(0), "10");
}

TEST(Apply, SilencesTheSoundOnlyWhenItWasSaved) {
    for (const bool privilegeHeld : {true, false}) {
        ShutdownMachine m;
        m.SetSound("tada.wav");
        m.emulated.grantPrivilege("SeBackupPrivilege", privilegeHeld);
        const ApplyReport report = Apply(m.p, m.programFolder, {false, true}, m.bar);
        EXPECT_EQ(report.soundSaved, privilegeHeld);
        EXPECT_EQ(m.Sound(), privilegeHeld ? "" : "tada.wav");
        EXPECT_EQ(report.sound, privilegeHeld ? SoundOutcome::Silenced : SoundOutcome::NotSaved);
        EXPECT_EQ(m.Text(0), "10") << "the time-outs are written all the same";
    }
}

// Every step that can fail, failing alone. Whatever fails, the apply goes on
// to its end, leaves the bar hidden at 0, loses no saved file, creates no
// key and writes nothing when it could not save.
TEST(Apply, GoesOnPastEveryFailingStepAndLosesNoSavedFile) {
    std::vector<Fault> faults = testing::FaultsAtEveryPlace(true);
    faults.insert(
        faults.end(),
        {
            {"nothing", [](ShutdownMachine&) {}},
            {"marker key",
             [](ShutdownMachine& m) {
                 m.emulated.failKeyOpen(platform::kHkeyCurrentUser, "Consol");
             }},
            {"token", [](ShutdownMachine& m) { m.emulated.failTokenOpen(true); }},
            {"hive save", [](ShutdownMachine& m) { m.emulated.failKeySave(true); }},
            {"values file",
             [](ShutdownMachine& m) {
                 m.emulated.failCreate(m.InProgramFolder(kSavedValuesFile));
             }},
            {"values copy",
             [](ShutdownMachine& m) {
                 m.emulated.failCopyTo(m.InSystemDirectory(kSavedValuesFile));
             }},
            {"sound copy",
             [](ShutdownMachine& m) {
                 m.emulated.failCopyTo(m.InSystemDirectory(kSavedSoundFile));
             }},
            {"values delete",
             [](ShutdownMachine& m) {
                 m.emulated.failDelete(m.InProgramFolder(kSavedValuesFile));
             }},
            {"no system directory", [](ShutdownMachine& m) { m.emulated.setSystemDirectory(""); }},
            {"sound key write",
             [](ShutdownMachine& m) {
                 m.emulated.failValueWrites(platform::kHkeyCurrentUser,
                                            std::string(kShutdownSoundKey));
             }},
        });
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.name);
        ShutdownMachine m;
        const auto values = m.FillEveryPlace();
        fault.inject(m);
        const Snapshot before = m.TakeSnapshot();

        const ApplyReport report = Apply(m.p, m.programFolder, {false, true}, m.bar);

        EXPECT_FALSE(m.bar.visible());
        EXPECT_EQ(m.bar.value(), 0.0f);
        EXPECT_EQ(m.emulated.openKeyCount(), 0u);
        EXPECT_EQ(m.emulated.openHandleCount(), 0u);
        // Each file that was made lies in at least one folder, whole.
        if (report.valuesSaved) {
            const auto kept = m.Content(m.InSystemDirectory(kSavedValuesFile));
            const auto left = m.Content(m.InProgramFolder(kSavedValuesFile));
            EXPECT_TRUE(kept == ComposeSavedText(report.found) ||
                        left == ComposeSavedText(report.found));
            if (!report.copiedToSystem.values) {
                EXPECT_EQ(left, ComposeSavedText(report.found)) << "kept where its copy failed";
            }
        }
        if (report.soundSaved) {
            EXPECT_TRUE(m.Exists(m.InSystemDirectory(kSavedSoundFile)) ||
                        m.Exists(m.InProgramFolder(kSavedSoundFile)));
        } else {
            EXPECT_EQ(m.Sound(), "tada.wav");
        }
        const Snapshot after = m.TakeSnapshot();
        for (std::size_t k = 0; k < kTimeoutPairCount; ++k) {
            SCOPED_TRACE(k);
            if (!report.valuesSaved || report.found[k] == ReadingOrder()[k].saveDefault) {
                EXPECT_EQ(after[k], before[k]) << testing::Describe(after[k]);
            } else if (m.Text(k) != "10") {
                EXPECT_EQ(after[k], before[k]) << "a refused write changes nothing";
            }
        }
        // The reads happen before the first write: the saved text holds the
        // values from before.
        for (std::size_t k = 0; k < kTimeoutPairCount; ++k) {
            if (report.found[k] != ReadingOrder()[k].saveDefault) {
                EXPECT_EQ(report.found[k], values[k]);
            }
        }
        // The markers say "in force" only when something was saved.
        if (!report.valuesSaved) {
            EXPECT_NE(m.MarkerText(kChangeMarker), "1");
            EXPECT_NE(m.MarkerText(kSavedMarker), "1");
        } else if (report.markersSet) {
            EXPECT_EQ(m.MarkerText(kChangeMarker), "1");
            EXPECT_EQ(m.MarkerText(kSavedMarker), "1");
        }
    }
}

} // namespace
} // namespace tarrow::shutdown
