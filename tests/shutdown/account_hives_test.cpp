// Each account's own keys are reached in its own hive under HKEY_USERS,
// loaded from its profile when needed, never through HKEY_CURRENT_USER; an
// account is gone only when its profile is, and a hive that is there but
// will not load keeps the restore incomplete. Each case looks at every
// value of every account afterwards.
#include "shutdown/apply.h"
#include "shutdown/markers.h"
#include "shutdown/rating.h"
#include "shutdown/restore.h"
#include "tests/shutdown/account_cases.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

namespace tarrow::shutdown {
namespace {

using namespace testing;

const std::string kCarolsHiveFile = "C:\\Users\\carol\\NTUSER.DAT";
const std::string kAlicesHiveFile = "C:\\Users\\alice\\NTUSER.DAT";

// Place 6's account, carol, and alice are logged on when alice applies;
// then both log off and LocalSystem restores, as an uninstall by a
// deployment tool does. A profile hive that is there but will not load
// leaves its part out of reach and the copy kept, for a later restore to
// finish; an account whose profile file is gone took its values with it.
TEST(AccountHives, AnAccountIsGoneOnlyWithItsProfileFile) {
    struct Case {
        const char* name;
        std::function<void(ShutdownMachine&)> fault; // with both logged off
        RestoreOutcome outcome;
        std::set<std::string> changed; // afterwards, against before the apply
        const char* aliceChange;       // alice's "Change" marker afterwards
    };
    const std::vector<Case> cases = {
        {"both hives load", [](ShutdownMachine&) {}, RestoreOutcome::Restored, {}, "0"},
        {"carol's hive file is in use",
         [](ShutdownMachine& m) { m.emulated.failHiveLoad(kCarolsHiveFile); },
         RestoreOutcome::Incomplete, PlaceValues(6, kCarolSid), "1"},
        {"carol's profile file is gone",
         [](ShutdownMachine& m) { ASSERT_TRUE(m.p.DeleteFileA(kCarolsHiveFile)); },
         RestoreOutcome::Restored, PlaceValues(6, kCarolSid), "0"},
        {"alice's hive file is in use",
         [](ShutdownMachine& m) { m.emulated.failHiveLoad(kAlicesHiveFile); },
         RestoreOutcome::Incomplete, OwnPart(kAliceSid, true), "1"},
        {"alice's profile file is gone: what is left of her hive is as the apply left it",
         [](ShutdownMachine& m) { ASSERT_TRUE(m.p.DeleteFileA(kAlicesHiveFile)); },
         RestoreOutcome::Restored, OwnPart(kAliceSid, true), "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShutdownMachine m;
        m.emulated.addAccount({kCarolSid, "carol", "TARROW-PC"}, true);
        m.FillEveryPlace();
        const RegistryDump original = m.emulated.registryDump();
        ASSERT_EQ(Apply(m.p, m.programFolder, {true, true}, m.bar).outcome, ApplyOutcome::Applied);
        m.emulated.setLoggedOn(kCarolSid, false);
        RunAs(m, kSystemSid, false);
        c.fault(m);

        const RestoreReport report = Restore(m.p, m.programFolder, m.bar);

        EXPECT_EQ(report.outcome, c.outcome);
        m.emulated.clearFaults();
        const RegistryDump after = m.emulated.registryDump();
        EXPECT_EQ(ChangedValues(original, after, kAliceSid), c.changed)
            << "changed:" << Described(ChangedValues(original, after, kAliceSid));
        EXPECT_EQ(m.Exists(m.InSystemDirectory(kSavedValuesFile)), !Completed(c.outcome));
        EXPECT_EQ(MarkerOf(after, kAliceSid, kChangeMarker), c.aliceChange);
        EXPECT_EQ(m.emulated.openKeyCount(), 0u);
        if (c.outcome == RestoreOutcome::Incomplete) {
            EXPECT_EQ(Restore(m.p, m.programFolder, m.bar).outcome, RestoreOutcome::Restored)
                << "once the hive loads, a later restore finishes the work";
            EXPECT_EQ(ChangedValues(original, m.emulated.registryDump(), kAliceSid),
                      std::set<std::string>{});
        }
    }
}

// The running account's own part is read and written in HKEY_USERS\<SID>:
// run without its profile loaded (runas /noprofile), where HKEY_CURRENT_USER
// is HKEY_USERS\.DEFAULT, the apply loads the hive from the profile and
// writes nothing of the account's into .DEFAULT; LocalSystem's own part lies
// in .DEFAULT. The main window's markers and the rating read the same keys,
// and the restore run the same way brings every value back.
TEST(AccountHives, TheRunningAccountsOwnPartLiesInItsOwnHive) {
    struct Case {
        const char* name;
        std::string runner;
        bool aliceLoggedOn;
    };
    const Case cases[] = {
        {"alice, logged on", kAliceSid, true},
        {"alice, her profile not loaded", kAliceSid, false},
        {"LocalSystem", kSystemSid, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ShutdownMachine m;
        m.FillEveryPlace();
        ASSERT_TRUE(modregistry::SetValue(m.p, ValueKind::Text, RegistryRoot::Users,
                                          ".DEFAULT\\" + std::string(kShutdownSoundKey), "",
                                          "default.wav"));
        RunAs(m, c.runner, c.aliceLoggedOn);
        const RegistryDump original = m.emulated.registryDump();

        const ApplyReport applied = Apply(m.p, m.programFolder, {false, true}, m.bar);

        ASSERT_EQ(applied.outcome, ApplyOutcome::Applied);
        EXPECT_EQ(applied.saved[0], SavedValue::Exact(c.runner == kSystemSid ? "t6" : "t 0 "))
            << "place 0 read in the account's own hive";
        const RegistryDump afterApply = m.emulated.registryDump();
        EXPECT_EQ(ChangedValues(original, afterApply, OwnHiveOf(c.runner)),
                  Joined(EveryPairOf(c.runner), {SoundValue(c.runner)}))
            << "changed:" << Described(ChangedValues(original, afterApply, OwnHiveOf(c.runner)));
        EXPECT_EQ(MarkerOf(afterApply, c.runner, kChangeMarker), "1");
        if (c.runner != kSystemSid) {
            EXPECT_FALSE(MarkerOf(afterApply, ".DEFAULT", kChangeMarker).has_value())
                << "nothing of alice's in .DEFAULT";
        }
        EXPECT_TRUE(ReadMarkers(m.p).change) << "what the main window reads";
        const RatingReport rated = RateCurrentSettings(m.p, m.programFolder, m.bar);
        EXPECT_EQ(rated.reportText.substr(0, 7), "0: 10\r\n") << "the rating reads the same";

        const RestoreReport restored = Restore(m.p, m.programFolder, m.bar);

        EXPECT_EQ(restored.outcome, RestoreOutcome::Restored);
        const RegistryDump after = m.emulated.registryDump();
        EXPECT_EQ(ChangedValues(original, after, OwnHiveOf(c.runner)), std::set<std::string>{})
            << "changed:" << Described(ChangedValues(original, after, OwnHiveOf(c.runner)));
        EXPECT_EQ(MarkerOf(after, c.runner, kChangeMarker), "0");
        EXPECT_FALSE(ReadMarkers(m.p).change);
        EXPECT_EQ(m.emulated.openKeyCount(), 0u);
    }
}

} // namespace
} // namespace tarrow::shutdown
