// A saved copy that cannot be used: its Importreg.dat is checked before the
// first write, and a damaged copy blocks the apply only while a change may
// be in force; otherwise the apply sets it aside as
// informationS.dat.damaged and goes on. Each case looks at every value of
// every account afterwards.
#include "shutdown/apply.h"
#include "shutdown/restore.h"
#include "shutdown/sound_file_check.h"
#include "tests/shutdown/account_cases.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

namespace tarrow::shutdown {
namespace {

using namespace testing;

const std::string kDamagedText = "0: 1\n";

// An Importreg.dat that fails its check makes the copy damaged: neither the
// restore nor the apply writes anything, and both files stay as they are.
// One that cannot be checked (no privilege to load a hive) is no sign of
// damage: the restore tries it and reports that it could not put it back.
TEST(DamagedCopy, ASoundFileThatWouldNotLoadStopsTheRestoreBeforeItsFirstWrite) {
    const std::string sound = "C:\\windows\\system32\\Importreg.dat";
    struct Case {
        const char* name;
        std::function<void(ShutdownMachine&)> damage;
        RestoreOutcome restored;
        ApplyOutcome applied;
    };
    const std::vector<Case> cases = {
        {"an empty file",
         [&](ShutdownMachine& m) { ASSERT_TRUE(platform::WriteWholeFile(m.p, sound, "")); },
         RestoreOutcome::Damaged, ApplyOutcome::SavedCopyDamaged},
        {"a file longer than any sound key's",
         [&](ShutdownMachine& m) {
             const auto hive = m.Content(sound);
             ASSERT_TRUE(hive.has_value());
             ASSERT_TRUE(platform::WriteWholeFile(
                 m.p, sound, *hive + std::string(kSoundFileLimit - hive->size() + 1, '\n')));
         },
         RestoreOutcome::Damaged, ApplyOutcome::SavedCopyDamaged},
        {"text that is no hive",
         [&](ShutdownMachine& m) {
             ASSERT_TRUE(platform::WriteWholeFile(m.p, sound, "REGEDIT4\r\n[x]\r\n"));
         },
         RestoreOutcome::Damaged, ApplyOutcome::SavedCopyDamaged},
        {"a file that cannot be read",
         [&](ShutdownMachine& m) { m.emulated.failReadsFrom(sound, 4); }, RestoreOutcome::Damaged,
         ApplyOutcome::SavedCopyDamaged},
        {"no privilege to load a hive",
         [](ShutdownMachine& m) { m.emulated.grantPrivilege("SeRestorePrivilege", false); },
         RestoreOutcome::Incomplete, ApplyOutcome::Applied},
    };
    for (const Case& c : cases) {
        for (const bool restore : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (restore ? ", the restore" : ", the apply"));
            ShutdownMachine m;
            m.FillEveryPlace();
            ASSERT_EQ(Apply(m.p, m.programFolder, {true, true}, m.bar).outcome,
                      ApplyOutcome::Applied);
            c.damage(m);
            const auto values = m.OnDisk(m.InSystemDirectory(kSavedValuesFile));
            const auto soundFile = m.OnDisk(sound);
            const RegistryDump before = m.emulated.registryDump();

            if (restore) {
                EXPECT_EQ(Restore(m.p, m.programFolder, m.bar).outcome, c.restored);
            } else {
                EXPECT_EQ(Apply(m.p, m.programFolder, {false, false}, m.bar).outcome, c.applied);
            }

            m.emulated.clearFaults();
            m.emulated.grantPrivilege("SeRestorePrivilege", true);
            const RegistryDump after = m.emulated.registryDump();
            const bool refused = restore ? c.restored == RestoreOutcome::Damaged
                                         : c.applied == ApplyOutcome::SavedCopyDamaged;
            if (refused) {
                EXPECT_EQ(ChangedValues(before, after, ""), std::set<std::string>{})
                    << "changed:" << Described(ChangedValues(before, after, ""));
            } else if (restore) {
                // Every pair is back; the sound and the markers wait for a
                // restore that can load the file.
                EXPECT_EQ(ChangedValues(before, after, kAliceSid), EveryPairOf(kAliceSid))
                    << "changed:" << Described(ChangedValues(before, after, kAliceSid));
                EXPECT_EQ(m.MarkerText(kChangeMarker), "1");
            }
            if (refused || restore) {
                EXPECT_EQ(m.OnDisk(m.InSystemDirectory(kSavedValuesFile)), values);
                EXPECT_EQ(m.OnDisk(sound), soundFile);
            }
            EXPECT_EQ(m.emulated.openKeyCount(), 0u);
            EXPECT_FALSE(m.Exists("C:\\windows\\system32\\informationS.dat.damaged"));
        }
    }
}

// What a damaged copy means to the apply. While a marker of the running
// account or of the account AppliedBy names is set, or a pair within reach
// holds Tarrow's text, nothing changes. Otherwise the damaged file is set
// aside as informationS.dat.damaged (replacing an older one) and the apply
// goes on as on a machine without a copy.
TEST(DamagedCopy, BlocksTheApplyOnlyWhileAChangeMayBeInForce) {
    const std::string values = "C:\\windows\\system32\\informationS.dat";
    const std::string setAside = values + ".damaged";
    struct Case {
        const char* name;
        std::function<void(ShutdownMachine&, const std::array<std::string, kTimeoutPairCount>&)>
            after; // after alice's apply and the damage
        std::string runner;
        ApplyOutcome outcome;
    };
    const auto putBack = [](ShutdownMachine& m, const auto& texts) {
        SetMarkersOf(m, kAliceSid, "0");
        PutBackByHand(m, texts);
    };
    const std::vector<Case> cases = {
        {"alice's markers set", [](ShutdownMachine&, const auto&) {}, kAliceSid,
         ApplyOutcome::SavedCopyDamaged},
        {"everything back by hand", putBack, kAliceSid, ApplyOutcome::Applied},
        {"everything back by hand, an older damaged copy beside it",
         [&](ShutdownMachine& m, const auto& texts) {
             putBack(m, texts);
             ASSERT_TRUE(platform::WriteWholeFile(m.p, setAside, "older"));
         },
         kAliceSid, ApplyOutcome::Applied},
        {"a machine pair still holds Tarrow's text",
         [&](ShutdownMachine& m, const auto& texts) {
             putBack(m, texts);
             SetPair(m, 12, "10");
         },
         kAliceSid, ApplyOutcome::SavedCopyDamaged},
        {"alice's place 0 still holds Tarrow's text",
         [&](ShutdownMachine& m, const auto& texts) {
             putBack(m, texts);
             SetPair(m, 2, "0");
         },
         kAliceSid, ApplyOutcome::SavedCopyDamaged},
        {"bob applies, every value back but alice's markers set",
         [](ShutdownMachine& m, const auto& texts) { PutBackByHand(m, texts); }, kBobSid,
         ApplyOutcome::SavedCopyDamaged},
        {"bob applies, his own stale marker set",
         [&](ShutdownMachine& m, const auto& texts) {
             putBack(m, texts);
             ASSERT_TRUE(modregistry::SetValue(m.p, ValueKind::Text, RegistryRoot::Users,
                                               kBobSid + "\\Control Panel\\Desktop", "Beforce",
                                               "1"));
         },
         kBobSid, ApplyOutcome::SavedCopyDamaged},
        {"bob applies, nothing in force", putBack, kBobSid, ApplyOutcome::Applied},
        {"everything back, the damaged file cannot be moved",
         [&](ShutdownMachine& m, const auto& texts) {
             putBack(m, texts);
             m.emulated.failMoveTo(setAside);
         },
         kAliceSid, ApplyOutcome::SavedCopyDamaged},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShutdownMachine m;
        m.emulated.addAccount({kBobSid, "bob", "TARROW-PC"}, true);
        const auto texts = m.FillEveryPlace();
        ASSERT_EQ(Apply(m.p, m.programFolder, {false, true}, m.bar).outcome, ApplyOutcome::Applied);
        m.SetSound("tada.wav");
        ASSERT_TRUE(platform::WriteWholeFile(m.p, values, kDamagedText));
        c.after(m, texts);
        m.emulated.runAs(c.runner);
        const auto older = m.OnDisk(setAside);
        const RegistryDump before = m.emulated.registryDump();

        const ApplyReport report = Apply(m.p, m.programFolder, {true, false}, m.bar);

        EXPECT_EQ(report.outcome, c.outcome);
        m.emulated.clearFaults();
        const RegistryDump after = m.emulated.registryDump();
        if (c.outcome == ApplyOutcome::SavedCopyDamaged) {
            EXPECT_EQ(ChangedValues(before, after, ""), std::set<std::string>{})
                << "changed:" << Described(ChangedValues(before, after, ""));
            EXPECT_EQ(m.OnDisk(values), kDamagedText);
            EXPECT_EQ(m.OnDisk(setAside), older);
            continue;
        }
        EXPECT_EQ(m.OnDisk(setAside), kDamagedText) << "kept for a reading by hand";
        const auto saved = ParseSavedText(m.OnDisk(values).value_or(""));
        ASSERT_TRUE(saved.has_value()) << "a new copy of what was found";
        EXPECT_EQ((*saved)[4], SavedValue::Exact(texts[4]));
        EXPECT_EQ(ReadAppliedBy(m.p), c.runner);
        ASSERT_EQ(Restore(m.p, m.programFolder, m.bar).outcome, RestoreOutcome::Restored);
        EXPECT_EQ(ChangedValues(before, m.emulated.registryDump(), c.runner),
                  std::set<std::string>{})
            << "what the apply found comes back";
    }
}

} // namespace
} // namespace tarrow::shutdown
