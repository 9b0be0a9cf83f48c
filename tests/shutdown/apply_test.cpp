// The speed-up on the emulated machine: what it saves, what it writes, what
// it leaves alone, and that it changes nothing before its record is safe.
#include "shutdown/apply.h"

#include "shutdown/change_in_force.h"
#include "shutdown/restore.h"
#include "tests/shutdown/registry_changes.h"
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

std::optional<std::string> AppliedBy(ShutdownMachine& m) {
    return ReadAppliedBy(m.p);
}

// As on a machine whose copy an earlier version saved.
void ForgetWhoApplied(ShutdownMachine& m) {
    ASSERT_TRUE(modregistry::DeleteValue(m.p, RegistryRoot::LocalMachine, std::string(kTarrowKey),
                                         std::string(kAppliedByValue)));
}

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
        shutdown::MemoryProgress bar(100.0f);

        const ApplyReport report = Apply(m.p, m.programFolder, c.choice, bar);

        EXPECT_EQ(report.outcome, ApplyOutcome::Applied);
        EXPECT_FALSE(report.merged);
        EXPECT_TRUE(report.markersSet);
        EXPECT_TRUE(report.valuesSaved);
        EXPECT_TRUE(report.soundSaved);
        EXPECT_EQ(report.saved, testing::Exacts(before));
        ASSERT_EQ(report.writes.size(), kTimeoutPairCount);
        for (std::size_t w = 0; w < report.writes.size(); ++w) {
            EXPECT_EQ(report.writes[w].pair, &WritingOrder()[w]);
            EXPECT_EQ(report.writes[w].outcome, PairOutcome::Written);
        }
        for (std::size_t k = 0; k < kTimeoutPairCount; ++k) {
            EXPECT_EQ(m.Text(k), c.text) << "pair " << k;
        }
        // The record lies in the system directory, and nowhere else.
        EXPECT_EQ(m.Content(m.InSystemDirectory(kSavedValuesFile)),
                  ComposeSavedText(testing::Exacts(before)));
        EXPECT_TRUE(m.Exists(m.InSystemDirectory(kSavedSoundFile)));
        for (const std::string& left :
             {m.InProgramFolder(kSavedValuesFile), m.InProgramFolder(kSavedSoundFile),
              m.InSystemDirectory(kSavedValuesFile) + ".tmp",
              m.InSystemDirectory(kSavedSoundFile) + ".tmp"}) {
            EXPECT_FALSE(m.Exists(left)) << left;
        }
        EXPECT_EQ(AppliedBy(m), std::string(platform::EmulatedPlatform::kUserSid));
        EXPECT_EQ(m.MarkerText(kChangeMarker), "1");
        EXPECT_EQ(m.MarkerText(kSavedMarker), "1");
        EXPECT_EQ(m.Sound(), c.choice.silenceSound ? "" : "tada.wav");
        EXPECT_EQ(report.sound,
                  c.choice.silenceSound ? SoundOutcome::Silenced : SoundOutcome::LeftAlone);
        // Its own 180 steps whatever the bar's maximum was: 80 while
        // reading, 80 while writing, 20 at the end.
        EXPECT_EQ(bar.max(), 180.0f);
        EXPECT_EQ(bar.highest(), 180.0f);
        EXPECT_EQ(bar.pauses(), 180);
        EXPECT_EQ(bar.pausedRounds(), kApplyRounds);
        EXPECT_FALSE(bar.visible());
        EXPECT_EQ(bar.value(), 0.0f);
        EXPECT_EQ(m.emulated.openKeyCount(), 0u);
        EXPECT_EQ(m.emulated.openHandleCount(), 0u);
    }
}

// The order of the changes, told by the machine's journal: the record of who
// applied and the markers come first and are on disk before anything else,
// the saved file is on disk before the first time-out is written, and the
// bar stands at 80 then and at 160 when the sound goes.
TEST(Apply, MakesItsRecordSafeBeforeTheFirstChange) {
    ShutdownMachine m;
    m.FillEveryPlace();
    testing::JournalProgress bar(m.emulated);
    const std::size_t start = m.emulated.journal().size();

    ASSERT_EQ(Apply(m.p, m.programFolder, {true, true}, bar).outcome, ApplyOutcome::Applied);

    const auto& journal = m.emulated.journal();
    const auto at = [&journal, start](const std::string& call, const std::string& targetEnd) {
        for (std::size_t i = start; i < journal.size(); ++i) {
            const std::string& target = journal[i].target;
            if (journal[i].call == call && target.size() >= targetEnd.size() &&
                target.compare(target.size() - targetEnd.size(), targetEnd.size(), targetEnd) ==
                    0) {
                return i;
            }
        }
        ADD_FAILURE() << call << " " << targetEnd << " is not in the journal";
        return journal.size();
    };
    const std::size_t change = at("RegSetValueExA", "\\consol\\change");
    const std::size_t saved = at("RegSetValueExA", "\\control panel\\desktop\\beforce");
    const std::size_t markersOnDisk = at("RegFlushKey", "\\consol");
    const std::size_t appliedBy = at("RegSetValueExA", "\\software\\tarrow\\appliedby");
    const std::size_t appliedByOnDisk = at("RegFlushKey", "\\software\\tarrow");
    const std::size_t soundOnDisk = at("FlushFileBuffers", "importreg.dat.tmp");
    const std::size_t soundInPlace = at("MoveFileExA", "system32\\importreg.dat");
    const std::size_t valuesOnDisk = at("FlushFileBuffers", "informations.dat.tmp");
    const std::size_t valuesInPlace = at("MoveFileExA", "system32\\informations.dat");
    const std::size_t firstTimeout = at("RegSetValueExA", "\\hungapptimeout");
    const std::size_t silenced = at("RegSetValueExA", "\\systemexit\\.current\\");
    EXPECT_LT(appliedBy, appliedByOnDisk);
    EXPECT_LT(appliedByOnDisk, change);
    EXPECT_LT(change, saved);
    EXPECT_LT(saved, markersOnDisk);
    EXPECT_LT(markersOnDisk, soundOnDisk);
    EXPECT_LT(soundOnDisk, soundInPlace);
    EXPECT_LT(soundInPlace, valuesOnDisk) << "the sound belongs to the record it goes with";
    EXPECT_LT(valuesOnDisk, valuesInPlace);
    EXPECT_LT(valuesInPlace, firstTimeout);
    EXPECT_EQ(bar.valueAt(firstTimeout), 80.0f) << "after the reads";
    EXPECT_EQ(bar.valueAt(silenced), 160.0f) << "after the writes";
}

TEST(Apply, LeavesAloneWhatItCouldNotPutBackExactly) {
    // A fresh machine has the user's own and the default profile's keys only.
    ShutdownMachine m;
    modregistry::SetValue(m.p, ValueKind::Text, RegistryRoot::CurrentUser, "Control Panel\\Desktop",
                          "HungAppTimeout", "5000");
    ASSERT_TRUE(testing::WriteRaw(m.p, RegistryRoot::CurrentUser, "Control Panel\\Desktop",
                                  "PowerOffTimeOut", platform::kRegExpandSz,
                                  testing::Bytes(std::string("10\0", 3))));
    const Snapshot before = m.TakeSnapshot();

    const ApplyReport report = Apply(m.p, m.programFolder, {true, false}, m.bar);

    const std::string saved = *m.Content(m.InSystemDirectory(kSavedValuesFile));
    EXPECT_EQ(saved.substr(0, 33), "0: 5000\r\n0: NO\r\n0: \r\n0: \r\n1: NO\r\n")
        << "absent values are saved empty; missing keys and other kinds as NO";
    EXPECT_NE(saved.find("6: NO\r\n6: NO \r\n6: NO\r\n6: NO\r\n7: NO\r\n"), std::string::npos);
    const Snapshot after = m.TakeSnapshot();
    for (const PairResult& write : report.writes) {
        const std::size_t k = write.pair->entry;
        const bool untouchable = !before[k].keyExists || k == 1;
        EXPECT_EQ(write.outcome, untouchable ? PairOutcome::LeftAlone : PairOutcome::Written) << k;
        if (untouchable) {
            EXPECT_EQ(after[k], before[k]) << "no key is created, no value changed: pair " << k;
        } else {
            EXPECT_EQ(m.Text(k), "0");
        }
    }
}

// The record must be whole in the system directory, flushed and read back,
// before anything changes; with the sound to be silenced, its file too.
// Whatever step of that fails, nothing changes but the markers, which go
// back to "0", and no temporary file is left behind.
TEST(Apply, ChangesNothingWhenItsRecordCannotBeMadeSafe) {
    const std::string values = "C:\\windows\\system32\\informationS.dat";
    const std::string sound = "C:\\windows\\system32\\Importreg.dat";
    const std::vector<Fault> faults = {
        {"marker key",
         [](ShutdownMachine& m) { m.emulated.failKeyOpen(platform::kHkeyCurrentUser, "Consol"); }},
        {"the record of who applied",
         [](ShutdownMachine& m) {
             m.emulated.limitKeyAccess(platform::kHkeyLocalMachine, "SOFTWARE\\Tarrow",
                                       platform::kKeyRead);
         }},
        {"no system directory", [](ShutdownMachine& m) { m.emulated.setSystemDirectory(""); }},
        {"values file", [&](ShutdownMachine& m) { m.emulated.failCreate(values + ".tmp"); }},
        {"values flush", [&](ShutdownMachine& m) { m.emulated.failFlush(values + ".tmp"); }},
        {"values move", [&](ShutdownMachine& m) { m.emulated.failMoveTo(values); }},
        {"values read back", [&](ShutdownMachine& m) { m.emulated.failReadsFrom(values, 10); }},
        {"sound save", [](ShutdownMachine& m) { m.emulated.failKeySave(true); }},
        {"sound flush", [&](ShutdownMachine& m) { m.emulated.failFlush(sound + ".tmp"); }},
        {"sound move", [&](ShutdownMachine& m) { m.emulated.failMoveTo(sound); }},
        {"token", [](ShutdownMachine& m) { m.emulated.failTokenOpen(true); }},
    };
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.name);
        ShutdownMachine m;
        m.FillEveryPlace();
        fault.inject(m);
        const Snapshot before = m.TakeSnapshot();

        const ApplyReport report = Apply(m.p, m.programFolder, {true, true}, m.bar);

        EXPECT_EQ(report.outcome, ApplyOutcome::NothingSaved);
        EXPECT_EQ(m.TakeSnapshot(), before);
        for (const PairResult& write : report.writes) {
            EXPECT_EQ(write.outcome, PairOutcome::NothingSaved);
        }
        EXPECT_EQ(m.Sound(), "tada.wav");
        EXPECT_EQ(report.sound, SoundOutcome::LeftAlone);
        EXPECT_NE(m.MarkerText(kChangeMarker), "1");
        EXPECT_NE(m.MarkerText(kSavedMarker), "1");
        EXPECT_FALSE(m.Exists(values + ".tmp"));
        EXPECT_FALSE(m.Exists(sound + ".tmp"));
        EXPECT_FALSE(m.bar.visible());
        EXPECT_EQ(m.bar.value(), 0.0f);
        EXPECT_EQ(m.emulated.openKeyCount(), 0u);
        EXPECT_EQ(m.emulated.openHandleCount(), 0u);
    }
}

// Without the sound to silence, a sound key that cannot be saved stops
// nothing; no Importreg.dat is then saved, and none from before stays to be
// put back with the new record.
TEST(Apply, WithoutTheSoundToSilenceGoesOnWhenItCannotBeSaved) {
    ShutdownMachine m;
    m.FillEveryPlace();
    ASSERT_TRUE(platform::WriteWholeFile(m.p, m.InSystemDirectory(kSavedSoundFile), "old hive"));
    m.emulated.grantPrivilege("SeBackupPrivilege", false);

    const ApplyReport report = Apply(m.p, m.programFolder, {false, false}, m.bar);

    EXPECT_EQ(report.outcome, ApplyOutcome::Applied);
    EXPECT_FALSE(report.soundSaved);
    EXPECT_FALSE(m.Exists(m.InSystemDirectory(kSavedSoundFile)));
    EXPECT_EQ(m.Text(0), "10");
    EXPECT_EQ(m.Sound(), "tada.wav");
}

// After the record is safe, a step that fails is passed over: a refused
// write leaves its pair as it was, and the apply goes on to its end.
TEST(Apply, GoesOnPastAWriteThatFails) {
    // Place 0's key holds the "Beforce" marker: refusing its writes refuses
    // the record itself, as above.
    std::vector<Fault> faults = testing::FaultsAtEveryPlace(false);
    faults.erase(faults.begin());
    faults.push_back({"sound key write", [](ShutdownMachine& m) {
                          m.emulated.failValueWrites(platform::kHkeyCurrentUser,
                                                     std::string(kShutdownSoundKey));
                      }});
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.name);
        ShutdownMachine m;
        const auto values = m.FillEveryPlace();
        fault.inject(m);

        const ApplyReport report = Apply(m.p, m.programFolder, {false, true}, m.bar);

        EXPECT_EQ(report.outcome, ApplyOutcome::Applied);
        EXPECT_EQ(report.saved, testing::Exacts(values)) << "read before the first write";
        for (const PairResult& write : report.writes) {
            const std::size_t k = write.pair->entry;
            EXPECT_EQ(m.Text(k), write.outcome == PairOutcome::Written ? "10" : values[k]) << k;
        }
        EXPECT_EQ(m.Sound(), report.sound == SoundOutcome::Silenced ? "" : "tada.wav");
        EXPECT_FALSE(m.bar.visible());
        EXPECT_EQ(m.emulated.openKeyCount(), 0u);
        EXPECT_EQ(m.emulated.openHandleCount(), 0u);
    }
}

// What an apply does with the saved copy it finds. One change is in force
// per machine; a saved original is never replaced by Tarrow's own text.
TEST(Apply, MeetsTheSavedCopyItFinds) {
    const std::string bob = "S-1-5-21-3623811015-3361044348-30300820-1002";
    struct Case {
        const char* name;
        std::function<void(ShutdownMachine&)> before; // after a first apply by alice
        ApplyOutcome outcome;
        std::string hungApp0Saved; // what the copy holds for place 0's first pair afterwards
        bool changes;              // whether the apply changed anything
    };
    const auto loseMarkers = [](ShutdownMachine& m) {
        ASSERT_TRUE(modregistry::DeleteValue(m.p, RegistryRoot::CurrentUser, "Consol", "Change"));
        ASSERT_TRUE(modregistry::DeleteValue(m.p, RegistryRoot::CurrentUser,
                                             "Control Panel\\Desktop", "Beforce"));
    };
    const std::vector<Case> cases = {
        {"the same account, its markers lost", loseMarkers, ApplyOutcome::Applied, "t 0 ", true},
        {"another account",
         [&](ShutdownMachine& m) {
             m.emulated.addAccount({bob, "bob", "TARROW-PC"}, true);
             m.emulated.runAs(bob);
         },
         ApplyOutcome::InForceElsewhere, "", false},
        {"an earlier version's copy that the account's marker claims",
         [](ShutdownMachine& m) { ForgetWhoApplied(m); }, ApplyOutcome::Applied, "t 0 ", true},
        {"an earlier version's copy of a change in force that no marker claims",
         [&](ShutdownMachine& m) {
             loseMarkers(m);
             ForgetWhoApplied(m);
         },
         ApplyOutcome::OwnerUnknown, "", false},
        {"an earlier version's copy of a change undone",
         [&](ShutdownMachine& m) {
             ForgetWhoApplied(m);
             loseMarkers(m);
             m.SetDistinctValues(); // the user's values are back, or new ones
             modregistry::SetValue(m.p, ValueKind::Text, RegistryRoot::CurrentUser,
                                   "Control Panel\\Desktop", "HungAppTimeout", "new");
         },
         ApplyOutcome::Applied, "new", true},
        {"a damaged copy",
         [](ShutdownMachine& m) {
             ASSERT_TRUE(
                 platform::WriteWholeFile(m.p, m.InSystemDirectory(kSavedValuesFile), "0: 1\n"));
         },
         ApplyOutcome::SavedCopyDamaged, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShutdownMachine m;
        m.FillEveryPlace();
        ASSERT_EQ(Apply(m.p, m.programFolder, {false, true}, m.bar).outcome, ApplyOutcome::Applied);
        c.before(m);
        const auto registry = m.emulated.registryDump();
        const auto copy = m.Content(m.InSystemDirectory(kSavedValuesFile));
        const auto sound = m.Content(m.InSystemDirectory(kSavedSoundFile));

        const ApplyReport report = Apply(m.p, m.programFolder, {true, true}, m.bar);

        EXPECT_EQ(report.outcome, c.outcome);
        if (!c.changes) {
            EXPECT_TRUE(
                testing::UnexpectedChanges(registry, m.emulated.registryDump(), bob).empty())
                << "nothing at all changed";
            EXPECT_EQ(m.Content(m.InSystemDirectory(kSavedValuesFile)), copy);
            continue;
        }
        const auto saved = ParseSavedText(*m.Content(m.InSystemDirectory(kSavedValuesFile)));
        ASSERT_TRUE(saved.has_value());
        EXPECT_EQ((*saved)[0], SavedValue::Exact(c.hungApp0Saved));
        EXPECT_EQ(m.Text(0), "0");
        EXPECT_EQ(AppliedBy(m), std::string(platform::EmulatedPlatform::kUserSid));
        if (report.merged) {
            EXPECT_EQ(m.Content(m.InSystemDirectory(kSavedSoundFile)), sound)
                << "the sound from before the first apply";
        }
    }
    {
        ShutdownMachine m;
        m.FillEveryPlace();
        Apply(m.p, m.programFolder, {false, true}, m.bar);
        m.emulated.addAccount({bob, "bob", "TARROW-PC"}, true);
        m.emulated.runAs(bob);
        EXPECT_EQ(Apply(m.p, m.programFolder, {true, true}, m.bar).owner, "TARROW-PC\\alice");
    }
}

TEST(Apply, ASecondApplyAfterARestoreSavesWhatItFindsThen) {
    ShutdownMachine m;
    m.SetDistinctValues();
    Apply(m.p, m.programFolder, {true, false}, m.bar);
    ASSERT_EQ(Restore(m.p, m.programFolder, m.bar).outcome, RestoreOutcome::Restored);
    ASSERT_TRUE(modregistry::SetValue(m.p, ValueKind::Text, RegistryRoot::CurrentUser,
                                      "Control Panel\\Desktop", "HungAppTimeout", "1234"));
    const ApplyReport second = Apply(m.p, m.programFolder, {false, false}, m.bar);
    EXPECT_FALSE(second.merged);
    EXPECT_EQ(second.saved[0], SavedValue::Exact("1234"));
    EXPECT_EQ(m.Content(m.InSystemDirectory(kSavedValuesFile)), ComposeSavedText(second.saved));
    EXPECT_EQ(m.Text(0), "10");
}

} // namespace
} // namespace tarrow::shutdown
