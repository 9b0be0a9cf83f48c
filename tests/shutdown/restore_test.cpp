// Putting the saved settings back on the emulated machine: every value to
// the pair it came from, exactly, and into the account that applied; the
// copy used up only when all of it is back; a damaged copy never used.
#include "shutdown/restore.h"

#include "shutdown/apply.h"
#include "shutdown/change_in_force.h"
#include "tests/shutdown/account_cases.h"
#include "tests/shutdown/registry_changes.h"
#include "tests/shutdown/shutdown_machine.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

namespace tarrow::shutdown {
namespace {

using platform::kRegDword;
using testing::Fault;
using testing::ShutdownMachine;
using testing::Snapshot;
using testing::WriteRaw;

// Place 0's pairs in the reading order.
constexpr std::size_t kHungApp0 = 0, kPowerOff0 = 1, kWaitToKillApp0 = 2, kService0 = 3;

const std::string kBob = "S-1-5-21-3623811015-3361044348-30300820-1002";

bool SavedFilesGone(ShutdownMachine& m) {
    for (const std::string& folder : {m.systemDirectory, m.programFolder}) {
        for (const std::string_view file : {kSavedValuesFile, kSavedSoundFile}) {
            if (m.Exists(SavedFilePath(folder, file))) {
                return false;
            }
        }
    }
    return true;
}

TEST(Restore, PutsBackEveryValueExactlyAsItWasBeforeTheApply) {
    ShutdownMachine m;
    m.CreateAllPlaces();
    m.SetDistinctValues();
    // Values the apply meets in the wild: absent, spaced, a number kept as
    // a DWORD, and a sound key with a subkey.
    ASSERT_TRUE(modregistry::DeleteValue(m.p, RegistryRoot::CurrentUser, "Control Panel\\Desktop",
                                         "PowerOffTimeOut"));
    ASSERT_TRUE(WriteRaw(m.p, RegistryRoot::Users, ".DEFAULT\\Control Panel\\Desktop",
                         "HungAppTimeout", kRegDword, {0x88, 0x13, 0, 0}));
    m.SetSound("tada.wav");
    ASSERT_TRUE(modregistry::SetValue(m.p, ValueKind::Text, RegistryRoot::CurrentUser,
                                      std::string(kShutdownSoundKey) + "\\Extra", "", "x"));
    const Snapshot before = m.TakeSnapshot();

    Apply(m.p, m.programFolder, {true, true}, m.bar);
    ASSERT_EQ(m.Text(kHungApp0), "0");
    ASSERT_EQ(m.Sound(), "");
    const RestoreReport report = Restore(m.p, m.programFolder, m.bar);

    EXPECT_EQ(report.outcome, RestoreOutcome::Restored);
    EXPECT_TRUE(report.soundRestored);
    const Snapshot after = m.TakeSnapshot();
    for (std::size_t k = 0; k < kTimeoutPairCount; ++k) {
        SCOPED_TRACE(k);
        if (k == 6) {
            // Every value goes back as a string value: the DWORD as its number.
            EXPECT_EQ(m.Text(k), "5000");
        } else {
            EXPECT_EQ(after[k], before[k]) << testing::Describe(after[k]);
        }
    }
    EXPECT_FALSE(after[kPowerOff0].value.has_value()) << "absent before, absent again";
    EXPECT_EQ(report.writes[1].outcome, PairOutcome::Deleted);
    EXPECT_EQ(m.Sound(), "tada.wav");
    EXPECT_EQ(modregistry::GetValue(m.p, RegistryRoot::CurrentUser,
                                    std::string(kShutdownSoundKey) + "\\Extra", "", "gone"),
              "x");
    EXPECT_EQ(m.MarkerText(kSavedMarker), "0");
    EXPECT_EQ(m.MarkerText(kChangeMarker), "0");
    EXPECT_TRUE(SavedFilesGone(m)) << "a complete restore uses the copy up";
    EXPECT_EQ(m.emulated.openKeyCount(), 0u);
    EXPECT_EQ(m.emulated.openHandleCount(), 0u);
}

TEST(Restore, EachEntryGoesToItsOwnPairWhateverTheWritingOrder) {
    ShutdownMachine m;
    m.CreateAllPlaces();
    std::array<std::string, kTimeoutPairCount> saved;
    for (std::size_t k = 0; k < saved.size(); ++k) {
        saved[k] = "entry " + std::to_string(k + 1) + "  ";
    }
    m.PlaceSavedCopy(testing::Exacts(saved));
    EXPECT_EQ(Restore(m.p, m.programFolder, m.bar).outcome, RestoreOutcome::Restored);
    for (std::size_t k = 0; k < kTimeoutPairCount; ++k) {
        EXPECT_EQ(m.Text(k), saved[k]) << "inner and trailing spaces kept";
    }
    EXPECT_EQ(m.Text(kWaitToKillApp0), "entry 3  ");
    EXPECT_EQ(m.Text(kService0), "entry 4  ");
    EXPECT_EQ(m.Text(4), "entry 5  ") << "place 1";
    EXPECT_EQ(m.Text(5), "entry 6  ") << "place 2";
}

TEST(Restore, TakesTheSystemDirectoryCopyOverOneAnEarlierVersionLeftBehind) {
    struct Case {
        const char* name;
        bool inSystem, inProgram;
        const char* expected; // place 0's first value afterwards
    };
    const Case cases[] = {
        {"system directory only", true, false, "from system"},
        {"program folder only", false, true, "from program"},
        {"both", true, true, "from system"},
        {"neither", false, false, "untouched"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShutdownMachine m;
        modregistry::SetValue(m.p, ValueKind::Text, RegistryRoot::CurrentUser,
                              "Control Panel\\Desktop", "HungAppTimeout", "untouched");
        const auto place = [&m](const std::string& folder, const std::string& first) {
            SavedValues saved;
            saved.fill(SavedValue::LeftAlone());
            saved[0] = SavedValue::Exact(first);
            m.PlaceSavedCopy(saved, folder);
        };
        if (c.inSystem) {
            place(m.systemDirectory, "from system");
        }
        if (c.inProgram) {
            place(m.programFolder, "from program");
        }
        const Snapshot before = m.TakeSnapshot();

        const RestoreReport report = Restore(m.p, m.programFolder, m.bar);

        EXPECT_EQ(m.Text(kHungApp0), c.expected);
        EXPECT_TRUE(Completed(report.outcome));
        EXPECT_TRUE(SavedFilesGone(m)) << "both folders' copies are used up";
        if (!c.inSystem && !c.inProgram) {
            EXPECT_EQ(report.outcome, RestoreOutcome::NothingToRestore);
            EXPECT_EQ(m.TakeSnapshot(), before);
            EXPECT_EQ(m.MarkerText(kSavedMarker), "") << "a marker never set is not made";
        }
    }
}

TEST(Restore, PacesTheBarToAHundredAndLeavesItHiddenAtZero) {
    struct Case {
        float startValue;
        int parsePauses;
    };
    for (const Case c : {Case{0.0f, 26}, Case{90.0f, 10}, Case{100.0f, 0}}) {
        SCOPED_TRACE(c.startValue);
        ShutdownMachine m;
        MemoryProgress bar(180.0f);
        ASSERT_TRUE(bar.setValue(c.startValue));
        Restore(m.p, m.programFolder, bar);
        EXPECT_EQ(bar.max(), 100.0f);
        EXPECT_EQ(bar.highest(), 100.0f);
        EXPECT_EQ(bar.pauses(), c.parsePauses + 70 + 2);
        EXPECT_EQ(bar.pausedRounds(), static_cast<std::uint64_t>(c.parsePauses) * kShortPause +
                                          70ull * kPause + 2ull * kLongPause);
        EXPECT_FALSE(bar.visible());
        EXPECT_EQ(bar.value(), 0.0f);
    }
}

// The markers go to "0" as the very last change, once the copy is gone:
// Importreg.dat first, informationS.dat last.
TEST(Restore, UsesTheCopyUpOnlyAfterEverythingIsBackAndOnDisk) {
    ShutdownMachine m;
    m.FillEveryPlace();
    Apply(m.p, m.programFolder, {true, true}, m.bar);
    m.emulated.cutPowerAfter(1000);

    ASSERT_EQ(Restore(m.p, m.programFolder, m.bar).outcome, RestoreOutcome::Restored);

    const auto& journal = m.emulated.journal();
    ASSERT_GE(journal.size(), 6u);
    const auto last = [&journal](std::size_t fromEnd) { return journal[journal.size() - fromEnd]; };
    EXPECT_EQ(last(1).call + " " + last(1).target.substr(last(1).target.rfind('\\')),
              "RegSetValueExA \\change");
    EXPECT_EQ(last(2).call + " " + last(2).target.substr(last(2).target.rfind('\\')),
              "RegSetValueExA \\beforce");
    // The mark of the change goes with its copy, and is on disk before the
    // markers that would call for another restore are cleared.
    EXPECT_EQ(last(3).call + " " + last(3).target,
              "RegFlushKey hkey_local_machine\\software\\tarrow");
    EXPECT_EQ(last(4).call + " " + last(4).target,
              "RegDeleteValueA hkey_local_machine\\software\\tarrow\\changeinforce");
    EXPECT_EQ(last(5).call + " " + last(5).target,
              "DeleteFileA c:\\windows\\system32\\informations.dat");
    std::size_t soundGone = 0;
    std::size_t lastFlush = 0;
    std::size_t lastWrite = 0;
    for (std::size_t i = 0; i < journal.size(); ++i) {
        if (journal[i].call == "DeleteFileA" &&
            journal[i].target.find("importreg.dat") != std::string::npos) {
            soundGone = i;
        }
        if (journal[i].call == "RegFlushKey" && i < journal.size() - 3) {
            lastFlush = i;
        }
        if (journal[i].call == "RegSetValueExA" &&
            journal[i].target.find("timeout") != std::string::npos) {
            lastWrite = i;
        }
    }
    EXPECT_LT(lastWrite, lastFlush);
    EXPECT_LT(lastFlush, soundGone) << "the registry is on disk before a copy goes";
    EXPECT_LT(soundGone, journal.size() - 5);
}

// A restore that cannot put something back keeps the markers, the copy and
// the restore's offer as they are, and a later restore finishes the work.
TEST(Restore, AnIncompleteRestoreKeepsEverythingForTheNextOne) {
    std::vector<Fault> faults = testing::FaultsAtEveryPlace(true);
    faults.insert(faults.end(),
                  {
                      {"hive restore", [](ShutdownMachine& m) { m.emulated.failKeyRestore(true); }},
                      {"token", [](ShutdownMachine& m) { m.emulated.failTokenOpen(true); }},
                      {"delete of the sound file",
                       [](ShutdownMachine& m) {
                           m.emulated.failDelete(m.InSystemDirectory(kSavedSoundFile));
                       }},
                      {"delete of the values file",
                       [](ShutdownMachine& m) {
                           m.emulated.failDelete(m.InSystemDirectory(kSavedValuesFile));
                       }},
                  });
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.name);
        ShutdownMachine m;
        const auto values = m.FillEveryPlace();
        Apply(m.p, m.programFolder, {true, true}, m.bar);
        const auto copy = m.Content(m.InSystemDirectory(kSavedValuesFile));
        fault.inject(m);

        const RestoreReport first = Restore(m.p, m.programFolder, m.bar);

        EXPECT_EQ(first.outcome, RestoreOutcome::Incomplete);
        EXPECT_FALSE(m.bar.visible());
        EXPECT_EQ(m.emulated.openKeyCount(), 0u);
        EXPECT_EQ(m.emulated.openHandleCount(), 0u);
        m.emulated.clearFaults();
        EXPECT_EQ(m.Content(m.InSystemDirectory(kSavedValuesFile)), copy) << "the copy is kept";
        EXPECT_EQ(m.MarkerText(kChangeMarker), "1");
        EXPECT_EQ(m.MarkerText(kSavedMarker), "1");

        EXPECT_EQ(Restore(m.p, m.programFolder, m.bar).outcome, RestoreOutcome::Restored);
        for (std::size_t k = 0; k < kTimeoutPairCount; ++k) {
            EXPECT_EQ(m.Text(k), values[k]) << k;
        }
        EXPECT_EQ(m.Sound(), "tada.wav");
        EXPECT_EQ(m.MarkerText(kChangeMarker), "0");
        EXPECT_TRUE(SavedFilesGone(m));
    }
}

// A damaged copy is not used: nothing is written, and the markers and the
// files stay for the user or support to look at.
TEST(Restore, RefusesADamagedCopy) {
    const struct {
        const char* name;
        std::string content;
    } damages[] = {
        {"lone LF line ends", "0: 1\n0: 2\n0: 3\n"},
        {"wrong labels", std::string(26 * 5, '9')},
        {"random bytes", std::string("\x01\xfe\x00\x7f\r\n:: \x80", 10)},
        {"a file longer than any saved file", std::string(kSavedFileLimit + 1, 'x')},
    };
    for (const auto& damage : damages) {
        SCOPED_TRACE(damage.name);
        ShutdownMachine m;
        m.FillEveryPlace();
        Apply(m.p, m.programFolder, {true, true}, m.bar);
        ASSERT_TRUE(
            platform::WriteWholeFile(m.p, m.InSystemDirectory(kSavedValuesFile), damage.content));
        const auto registry = m.emulated.registryDump();

        const RestoreReport report = Restore(m.p, m.programFolder, m.bar);

        EXPECT_EQ(report.outcome, RestoreOutcome::Damaged);
        EXPECT_TRUE(report.writes.empty());
        EXPECT_TRUE(testing::UnexpectedChanges(registry, m.emulated.registryDump(), "").empty());
        EXPECT_EQ(m.Content(m.InSystemDirectory(kSavedValuesFile)), damage.content);
        EXPECT_TRUE(m.Exists(m.InSystemDirectory(kSavedSoundFile)));
        EXPECT_EQ(m.MarkerText(kChangeMarker), "1");
        EXPECT_FALSE(m.bar.visible());
    }
}

// A restore run by another account, as an uninstall that a deployment tool
// runs as LocalSystem: place 0, the sound and the markers go back into the
// account that applied, whose hive is loaded from its profile when it is not
// logged on, and never into the running account's own keys.
TEST(Restore, PutsTheApplyingAccountsOwnValuesBackIntoItsHive) {
    const std::string system(platform::EmulatedPlatform::kLocalSystemSid);
    const std::string alice(platform::EmulatedPlatform::kUserSid);
    struct Case {
        const char* name;
        std::string runner;
        bool aliceLoggedOn;
        bool aliceHasProfile;
        RestoreOutcome outcome;
    };
    const Case cases[] = {
        {"LocalSystem, the applier logged on", system, true, true, RestoreOutcome::Restored},
        {"LocalSystem, the applier logged off", system, false, true, RestoreOutcome::Restored},
        {"another administrator", kBob, false, true, RestoreOutcome::Restored},
        {"LocalSystem, the applier's profile gone", system, false, false,
         RestoreOutcome::Incomplete},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShutdownMachine m;
        m.emulated.addAccount({kBob, "bob", "TARROW-PC"}, true);
        const auto values = m.FillEveryPlace();
        const auto original = m.emulated.registryDump();
        Apply(m.p, m.programFolder, {true, true}, m.bar);
        m.emulated.setLoggedOn(alice, c.aliceLoggedOn);
        if (!c.aliceHasProfile) {
            ASSERT_TRUE(modregistry::DeleteValue(
                m.p, RegistryRoot::LocalMachine,
                "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\" + alice,
                "ProfileImagePath"));
        }
        m.emulated.runAs(c.runner);

        const RestoreReport report = Restore(m.p, m.programFolder, m.bar);

        EXPECT_EQ(report.outcome, c.outcome);
        m.emulated.setLoggedOn(alice, true);
        m.emulated.runAs(alice);
        if (c.outcome == RestoreOutcome::Restored) {
            const auto changes =
                testing::UnexpectedChanges(original, m.emulated.registryDump(), alice);
            EXPECT_TRUE(changes.empty()) << changes.front();
            EXPECT_EQ(m.MarkerText(kChangeMarker), "0");
            EXPECT_EQ(m.Sound(), "tada.wav");
            EXPECT_TRUE(SavedFilesGone(m));
        } else {
            EXPECT_EQ(m.Text(kHungApp0), "0") << "not reached, not written";
            EXPECT_EQ(m.Text(6), values[6]) << "the machine's own places are back";
            EXPECT_EQ(m.MarkerText(kChangeMarker), "1");
            EXPECT_TRUE(m.Exists(m.InSystemDirectory(kSavedValuesFile)));
        }
        // Nothing of alice's reached the running account's keys.
        for (const std::string& runner : {system, kBob}) {
            const std::string hive = runner == system ? ".DEFAULT" : runner;
            EXPECT_NE(modregistry::GetValue(m.p, RegistryRoot::Users,
                                            hive + "\\Control Panel\\Desktop", "HungAppTimeout",
                                            "none"),
                      values[kHungApp0]);
            EXPECT_EQ(modregistry::GetValue(m.p, RegistryRoot::Users, hive + "\\Consol", "Change",
                                            "none"),
                      "none");
        }
        EXPECT_EQ(m.emulated.openKeyCount(), 0u);
    }
}

// After a complete restore the copy is gone, so a later restore (or an
// uninstall months later) writes nothing over what the user set since.
TEST(Restore, AfterACompleteRestoreALaterOneWritesNothing) {
    ShutdownMachine m;
    m.FillEveryPlace();
    Apply(m.p, m.programFolder, {true, true}, m.bar);
    ASSERT_EQ(Restore(m.p, m.programFolder, m.bar).outcome, RestoreOutcome::Restored);
    ASSERT_TRUE(modregistry::SetValue(m.p, ValueKind::Text, RegistryRoot::CurrentUser,
                                      "Control Panel\\Desktop", "HungAppTimeout", "set since"));
    m.SetSound("new.wav");
    const auto registry = m.emulated.registryDump();

    const RestoreReport later = Restore(m.p, m.programFolder, m.bar);

    EXPECT_EQ(later.outcome, RestoreOutcome::NothingToRestore);
    EXPECT_TRUE(later.writes.empty());
    EXPECT_TRUE(testing::UnexpectedChanges(registry, m.emulated.registryDump(), "").empty());
}

// Markers that nothing else would clear: a restore that finds nothing to
// restore clears the running account's own, and those of the account the
// record names, so that the main window offers the speed-up again. It
// writes nothing else.
TEST(Restore, WithNothingToRestoreClearsTheMarkersLeftSet) {
    using namespace testing;
    struct Case {
        const char* name;
        std::function<void(ShutdownMachine&)> leave; // the markers left set
        std::string runner;
        bool aliceLoggedOn;
        std::set<std::string> cleared; // markers that go from "1" to "0"
    };
    const auto markers = [](const std::string& sid) {
        return std::set<std::string>{HiveKey(sid, kChangeMarker.keyPath) + "\\change",
                                     HiveKey(sid, kSavedMarker.keyPath) + "\\beforce"};
    };
    const std::vector<Case> cases = {
        {"alice's own, nobody recorded",
         [](ShutdownMachine& m) { SetMarkersOf(m, kAliceSid, "1"); }, kAliceSid, true,
         markers(kAliceSid)},
        {"alice's own and bob's, bob recorded",
         [](ShutdownMachine& m) {
             SetMarkersOf(m, kAliceSid, "1");
             SetMarkersOf(m, kBobSid, "1");
             ASSERT_TRUE(RecordAppliedBy(m.p, kBobSid));
         },
         kAliceSid, true, Joined(markers(kAliceSid), markers(kBobSid))},
        {"alice's, recorded, LocalSystem restores with her logged off",
         [](ShutdownMachine& m) {
             SetMarkersOf(m, kAliceSid, "1");
             ASSERT_TRUE(RecordAppliedBy(m.p, kAliceSid));
         },
         kSystemSid, false, markers(kAliceSid)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShutdownMachine m;
        m.emulated.addAccount({kBobSid, "bob", "TARROW-PC"}, true);
        m.FillEveryPlace();
        c.leave(m);
        RunAs(m, c.runner, c.aliceLoggedOn);
        const RegistryDump before = m.emulated.registryDump();

        const RestoreReport report = Restore(m.p, m.programFolder, m.bar);

        EXPECT_EQ(report.outcome, RestoreOutcome::NothingToRestore);
        EXPECT_TRUE(report.markersCleared);
        EXPECT_TRUE(report.writes.empty());
        const RegistryDump after = m.emulated.registryDump();
        EXPECT_EQ(ChangedValues(before, after, ""), c.cleared)
            << "changed:" << Described(ChangedValues(before, after, ""));
        for (const std::string& value : c.cleared) {
            const std::size_t cut = value.rfind('\\');
            EXPECT_EQ(DumpedText(after, value.substr(0, cut), value.substr(cut + 1)), "0");
        }
        EXPECT_EQ(m.emulated.openKeyCount(), 0u);
    }
}

} // namespace
} // namespace tarrow::shutdown
