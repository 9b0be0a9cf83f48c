// Whose a saved copy is, and whether its change is still in force, as the
// restore and the apply meet it: the account AppliedBy names, or for an
// earlier version's copy the one account whose "Change" marker is set; and
// a copy is a leftover only when nothing of its change can still be in
// force. Each case looks at every value of every account afterwards.
#include "shutdown/apply.h"
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

// A machine where alice applied with every place filled and the sound
// silenced, bob has an account (logged on) and a stale "Change" marker of
// his own when `bobClaims`.
struct Applied {
    ShutdownMachine m;
    std::array<std::string, kTimeoutPairCount> texts;
    RegistryDump original;

    explicit Applied(bool bobClaims, ApplyChoice choice = {false, true},
                     const std::function<void(Applied&)>& beforeApply = {}) {
        m.emulated.addAccount({kBobSid, "bob", "TARROW-PC"}, true);
        texts = m.FillEveryPlace();
        if (bobClaims) {
            EXPECT_TRUE(modregistry::SetValue(m.p, ValueKind::Text, RegistryRoot::Users,
                                              kBobSid + "\\Consol", "Change", "1"));
        }
        if (beforeApply) {
            beforeApply(*this);
        }
        original = m.emulated.registryDump();
        EXPECT_EQ(Apply(m.p, m.programFolder, choice, m.bar).outcome, ApplyOutcome::Applied);
    }
    bool copyKept() { return m.Exists(m.InSystemDirectory(kSavedValuesFile)); }
};

// An earlier version's copy goes to the one account whose marker claims it;
// when none does, or several do, or a hive that could cannot be looked at,
// its owner is unknown: the machine's places come back, the account's own
// part is written nowhere, and the copy stays.
TEST(Owner, OfAnEarlierVersionsCopyIsTheOneAccountWhoseMarkerClaimsIt) {
    struct Case {
        const char* name;
        bool bobClaims;
        std::function<void(Applied&)> after; // after the apply, with AppliedBy forgotten
        std::string runner;
        bool aliceLoggedOn;
        RestoreOutcome outcome;
        const char* aliceChange; // her "Change" marker afterwards ("" absent)
    };
    const std::vector<Case> cases = {
        {"alice's marker alone, bob restores",
         false,
         {},
         kBobSid,
         true,
         RestoreOutcome::Restored,
         "0"},
        {"alice's marker alone, LocalSystem restores with her logged off",
         false,
         {},
         kSystemSid,
         false,
         RestoreOutcome::Restored,
         "0"},
        {"alice's and bob's markers, bob restores",
         true,
         {},
         kBobSid,
         true,
         RestoreOutcome::OwnerUnknown,
         "1"},
        {"no marker at all, LocalSystem restores", false,
         [](Applied& a) { SetMarkersOf(a.m, kAliceSid, ""); }, kSystemSid, true,
         RestoreOutcome::OwnerUnknown, ""},
        {"alice's marker in a hive that will not load, LocalSystem restores", false,
         [](Applied& a) { a.m.emulated.failHiveLoad("C:\\Users\\alice\\NTUSER.DAT"); }, kSystemSid,
         false, RestoreOutcome::OwnerUnknown, "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Applied a(c.bobClaims);
        ForgetWhoApplied(a.m);
        if (c.after) {
            c.after(a);
        }
        RunAs(a.m, c.runner, c.aliceLoggedOn);
        const RegistryDump applied = a.m.emulated.registryDump();

        const RestoreReport report = Restore(a.m.p, a.m.programFolder, a.m.bar);

        EXPECT_EQ(report.outcome, c.outcome);
        a.m.emulated.clearFaults();
        const RegistryDump after = a.m.emulated.registryDump();
        if (c.outcome == RestoreOutcome::OwnerUnknown) {
            // Nothing is written, the machine's places neither: put back,
            // they would make the next run take the copy for a leftover
            // while alice's own part is still in force.
            EXPECT_TRUE(report.writes.empty());
            EXPECT_EQ(ChangedValues(applied, after, kAliceSid), std::set<std::string>{})
                << "changed:" << Described(ChangedValues(applied, after, kAliceSid));
        } else {
            EXPECT_EQ(ChangedValues(a.original, after, kAliceSid), std::set<std::string>{})
                << "changed:" << Described(ChangedValues(a.original, after, kAliceSid));
        }
        EXPECT_EQ(a.copyKept(), !Completed(c.outcome));
        EXPECT_EQ(MarkerOf(after, kAliceSid, kChangeMarker).value_or(""), c.aliceChange);
        EXPECT_EQ(MarkerOf(after, kBobSid, kChangeMarker).value_or(""), c.bobClaims ? "1" : "");
        EXPECT_EQ(a.m.emulated.openKeyCount(), 0u);
    }
}

// The apply meets an earlier version's copy as it meets one of another
// account: it changes nothing, and says whose it is when that can be told.
TEST(Owner, AnApplyChangesNothingBesideAnEarlierVersionsCopyOfAnotherOrNoKnownAccount) {
    struct Case {
        const char* name;
        bool bobClaims;
        std::string runner;
        ApplyOutcome outcome;
        const char* owner;
    };
    const Case cases[] = {
        {"alice's marker alone, bob applies", false, kBobSid, ApplyOutcome::InForceElsewhere,
         "TARROW-PC\\alice"},
        {"alice's and bob's markers, bob applies", true, kBobSid, ApplyOutcome::OwnerUnknown, ""},
        {"alice's and bob's markers, alice applies", true, kAliceSid, ApplyOutcome::OwnerUnknown,
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Applied a(c.bobClaims);
        ForgetWhoApplied(a.m);
        RunAs(a.m, c.runner, true);
        const RegistryDump before = a.m.emulated.registryDump();
        const auto copy = a.m.Content(a.m.InSystemDirectory(kSavedValuesFile));

        const ApplyReport report = Apply(a.m.p, a.m.programFolder, {true, true}, a.m.bar);

        EXPECT_EQ(report.outcome, c.outcome);
        EXPECT_EQ(report.owner, c.owner);
        EXPECT_TRUE(report.writes.empty());
        EXPECT_EQ(ChangedValues(before, a.m.emulated.registryDump(), ""), std::set<std::string>{});
        EXPECT_EQ(a.m.Content(a.m.InSystemDirectory(kSavedValuesFile)), copy);
    }
}

// A copy is a leftover only when its owner's markers are clear and no pair
// within reach (its owner's place 0 among them, loaded from the profile)
// holds Tarrow's text where the copy holds something else. Run as
// LocalSystem with alice logged off, as a deployment tool uninstalls.
TEST(Owner, ACopyIsALeftoverOnlyWhenNothingOfItsChangeCanBeInForce) {
    const auto loseMarkers = [](Applied& a) { SetMarkersOf(a.m, kAliceSid, ""); };
    struct Case {
        const char* name;
        std::function<void(Applied&)> beforeApply;
        std::function<void(Applied&)> after; // with alice logged on, after the apply
        RestoreOutcome outcome;
        std::set<std::string> changed; // afterwards, against before the apply
    };
    const std::vector<Case> cases = {
        {"markers lost, her place 0 still holds Tarrow's text",
         {},
         [&](Applied& a) {
             loseMarkers(a);
             auto machine = a.texts;
             std::fill_n(machine.begin(), 4, std::string());
             PutBackByHand(a.m, machine);
         },
         RestoreOutcome::Restored,
         {}},
        {"markers lost, every value back by hand",
         {},
         [&](Applied& a) {
             loseMarkers(a);
             PutBackByHand(a.m, a.texts);
         },
         RestoreOutcome::NothingToRestore,
         {}},
        {"markers lost, a pair holds 10 where the copy holds 10 too",
         [](Applied& a) {
             a.texts[4] = "10";
             SetPair(a.m, 4, "10");
         },
         [&](Applied& a) {
             loseMarkers(a);
             auto others = a.texts;
             others[4].clear();
             PutBackByHand(a.m, others);
         },
         RestoreOutcome::NothingToRestore,
         {}},
        {"markers set, every value back by hand",
         {},
         [](Applied& a) { PutBackByHand(a.m, a.texts); },
         RestoreOutcome::Restored,
         {}},
        {"her hive will not load",
         {},
         [&](Applied& a) {
             loseMarkers(a);
             a.m.emulated.failHiveLoad("C:\\Users\\alice\\NTUSER.DAT");
         },
         RestoreOutcome::Incomplete,
         OwnPart(kAliceSid, false)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Applied a(false, {false, false}, c.beforeApply);
        c.after(a);
        RunAs(a.m, kSystemSid, false);
        const RegistryDump before = a.m.emulated.registryDump();

        const RestoreReport report = Restore(a.m.p, a.m.programFolder, a.m.bar);

        EXPECT_EQ(report.outcome, c.outcome);
        a.m.emulated.clearFaults();
        const RegistryDump after = a.m.emulated.registryDump();
        EXPECT_EQ(ChangedValues(a.original, after, kAliceSid), c.changed)
            << "changed:" << Described(ChangedValues(a.original, after, kAliceSid));
        if (c.outcome == RestoreOutcome::NothingToRestore) {
            EXPECT_TRUE(report.writes.empty());
            EXPECT_EQ(ChangedValues(before, after, ""), std::set<std::string>{})
                << "a leftover is dropped without a write";
        }
        EXPECT_EQ(a.copyKept(), !Completed(c.outcome));
        EXPECT_EQ(a.m.emulated.openKeyCount(), 0u);
    }
}

} // namespace
} // namespace tarrow::shutdown
