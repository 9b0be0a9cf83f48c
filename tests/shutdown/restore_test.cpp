// Putting the saved settings back on the emulated machine: every value to
// the pair it came from, exactly; nothing where nothing was saved; and on to
// the end whatever fails.
#include "shutdown/restore.h"

#include "shutdown/apply.h"
#include "tests/shutdown/shutdown_machine.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace tarrow::shutdown {
namespace {

using platform::kRegDword;
using platform::kRegSz;
using testing::Bytes;
using testing::Fault;
using testing::ShutdownMachine;
using testing::Snapshot;
using testing::WriteRaw;

// Place 0's pairs in the reading order.
constexpr std::size_t kHungApp0 = 0, kPowerOff0 = 1, kWaitToKillApp0 = 2, kService0 = 3;

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

    EXPECT_EQ(report.entriesFound, kTimeoutPairCount);
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
    // The system directory keeps its copies; the program folder's are the
    // caller's to delete.
    EXPECT_TRUE(m.Exists(m.InSystemDirectory(kSavedValuesFile)));
    EXPECT_TRUE(m.Exists(m.InProgramFolder(kSavedValuesFile)));
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
    ASSERT_TRUE(platform::WriteWholeFile(m.p, m.InSystemDirectory(kSavedValuesFile),
                                         ComposeSavedText(saved)));
    Restore(m.p, m.programFolder, m.bar);
    for (std::size_t k = 0; k < kTimeoutPairCount; ++k) {
        EXPECT_EQ(m.Text(k), saved[k]) << "inner and trailing spaces kept";
    }
    EXPECT_EQ(m.Text(kWaitToKillApp0), "entry 3  ");
    EXPECT_EQ(m.Text(kService0), "entry 4  ");
    EXPECT_EQ(m.Text(4), "entry 5  ") << "place 1";
    EXPECT_EQ(m.Text(5), "entry 6  ") << "place 2";
}

TEST(Restore, WritesOnlyPairsWithASavedLineThatIsNoPlaceholder) {
    ShutdownMachine m;
    m.CreateAllPlaces();
    const auto values = m.SetDistinctValues();
    // Three whole lines, one cut off, and nothing after: 23 pairs without a
    // line. The placeholders record keys that did not open when saved.
    ASSERT_TRUE(platform::WriteWholeFile(m.p, m.InSystemDirectory(kSavedValuesFile),
                                         "0: NO\r\n0: NO \r\n0: 7\r\n0: 8"));
    const RestoreReport report = Restore(m.p, m.programFolder, m.bar);

    EXPECT_EQ(report.entriesFound, 3u);
    EXPECT_EQ(m.Text(kHungApp0), values[kHungApp0]) << "\"NO\" is not written";
    EXPECT_EQ(m.Text(kPowerOff0), values[kPowerOff0]) << "\"NO \" is not written";
    EXPECT_EQ(m.Text(kWaitToKillApp0), "7");
    for (std::size_t k = 3; k < kTimeoutPairCount; ++k) {
        EXPECT_EQ(m.Text(k), values[k]) << k;
    }
    for (const PairResult& write : report.writes) {
        const std::size_t entry = write.pair->entry;
        EXPECT_EQ(write.outcome, entry >= 3   ? PairOutcome::NoSavedLine
                                 : entry == 2 ? PairOutcome::Written
                                              : PairOutcome::KeyMissingAtSave);
    }
}

TEST(Restore, TakesTheSystemDirectoryCopiesOverTheProgramFolderOnes) {
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
        const auto write = [&m](const std::string& path, const std::string& first) {
            std::array<std::string, kTimeoutPairCount> saved;
            saved.fill("5");
            saved[0] = first;
            ASSERT_TRUE(platform::WriteWholeFile(m.p, path, ComposeSavedText(saved)));
        };
        if (c.inSystem) {
            write(m.InSystemDirectory(kSavedValuesFile), "from system");
        }
        if (c.inProgram) {
            write(m.InProgramFolder(kSavedValuesFile), "from program");
        }
        const Snapshot before = m.TakeSnapshot();

        const RestoreReport report = Restore(m.p, m.programFolder, m.bar);

        EXPECT_EQ(m.Text(kHungApp0), c.expected);
        EXPECT_EQ(report.copiedFromSystem.values, c.inSystem);
        if (!c.inSystem && !c.inProgram) {
            // Nothing was ever applied: no time-out is written.
            EXPECT_EQ(m.TakeSnapshot(), before);
            EXPECT_FALSE(report.soundRestored);
        }
        EXPECT_EQ(m.MarkerText(kSavedMarker), "0");
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

TEST(Restore, GoesOnPastEveryFailingStep) {
    std::vector<Fault> faults = testing::FaultsAtEveryPlace(false);
    faults.insert(
        faults.end(),
        {
            {"marker writes",
             [](ShutdownMachine& m) {
                 m.emulated.failValueWrites(platform::kHkeyCurrentUser, "Consol");
             }},
            {"copy of the values",
             [](ShutdownMachine& m) {
                 m.emulated.failCopyTo(m.InProgramFolder(kSavedValuesFile));
             }},
            {"read of the values",
             [](ShutdownMachine& m) {
                 m.emulated.failReadsFrom(m.InProgramFolder(kSavedValuesFile), 10);
             }},
            {"hive restore", [](ShutdownMachine& m) { m.emulated.failKeyRestore(true); }},
            {"token", [](ShutdownMachine& m) { m.emulated.failTokenOpen(true); }},
            {"no system directory", [](ShutdownMachine& m) { m.emulated.setSystemDirectory(""); }},
        });
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.name);
        ShutdownMachine m;
        const auto values = m.FillEveryPlace();
        Apply(m.p, m.programFolder, {true, true}, m.bar);
        const Snapshot applied = m.TakeSnapshot();
        fault.inject(m);

        const RestoreReport report = Restore(m.p, m.programFolder, m.bar);

        EXPECT_FALSE(m.bar.visible());
        EXPECT_EQ(m.bar.value(), 0.0f);
        EXPECT_EQ(m.emulated.openKeyCount(), 0u);
        EXPECT_EQ(m.emulated.openHandleCount(), 0u);
        EXPECT_TRUE(m.Exists(m.InSystemDirectory(kSavedValuesFile))) << "the lasting copy stays";
        const Snapshot after = m.TakeSnapshot();
        for (const PairResult& write : report.writes) {
            const std::size_t k = write.pair->entry;
            if (write.outcome == PairOutcome::Written) {
                EXPECT_EQ(m.Text(k), values[k]);
            } else {
                EXPECT_EQ(after[k], applied[k]) << "an unwritten pair keeps the applied text";
            }
        }
        EXPECT_EQ(m.Sound(), report.soundRestored ? "tada.wav" : "");
    }
}

} // namespace
} // namespace tarrow::shutdown
