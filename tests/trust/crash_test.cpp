// The power goes off after each change that an apply, a restore or an
// uninstall makes, in turn. After the reboot, whatever the person does next
// (what the main window offers, or the uninstall as the applying account or
// as LocalSystem) brings back every value of every account's hive as it was
// before the first apply, and uses the saved copy up.
#include "tests/trust/trust_machine.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace tarrow::testing {
namespace {

using platform::emulated::Survival;

struct Action {
    const char* name;
    // Runs the action; true when it completed as it should.
    std::function<bool(TrustMachine&)> run;
};

const Action kApply{"the apply", [](TrustMachine& t) {
                        t.Apply();
                        return true;
                    }};
const Action kRestore{"the restore", [](TrustMachine& t) {
                          t.Restore();
                          return true;
                      }};
const Action kUninstallAsApplier{"the uninstall as the applying account",
                                 [](TrustMachine& t) { return t.Uninstall(kAlice) == 0; }};
const Action kUninstallAsSystem{"the uninstall as LocalSystem",
                                [](TrustMachine& t) { return t.Uninstall(kLocalSystem) == 0; }};
const Action kMainWindow{"what the main window offers",
                         [](TrustMachine& t) { return t.DoWhatTheMainWindowOffers(); }};

// How many changes `action` makes on a machine made ready by `before`.
std::size_t ChangesMadeBy(const std::function<void(TrustMachine&)>& before, const Action& action) {
    TrustMachine t;
    t.FillEveryPlace();
    t.AddOddValues();
    before(t);
    const std::size_t start = t.m.emulated.journal().size();
    action.run(t);
    return t.m.emulated.journal().size() - start;
}

// Cuts the power after every change of `action` in turn, under both ways a
// hive can come through, and follows each reboot with every next step.
void CutAfterEveryChange(const std::function<void(TrustMachine&)>& before, const Action& action) {
    const std::size_t changes = ChangesMadeBy(before, action);
    ASSERT_GT(changes, 10u) << action.name << " changes things";
    for (std::size_t cut = 0; cut <= changes; ++cut) {
        for (const bool harshest : {true, false}) {
            for (const Action* next : {&kMainWindow, &kUninstallAsApplier, &kUninstallAsSystem}) {
                SCOPED_TRACE(std::string(action.name) + ", power off after change " +
                             std::to_string(cut) + " of " + std::to_string(changes) +
                             (harshest ? ", the harshest survival" : ", the kindest survival") +
                             ", then " + next->name);
                TrustMachine t;
                t.FillEveryPlace();
                t.AddOddValues();
                const RegistryDump original = t.m.emulated.registryDump();
                before(t);
                t.m.emulated.cutPowerAfter(cut);
                action.run(t);
                const auto cutAt = t.m.emulated.cutDimensions();
                t.m.emulated.reboot(harshest ? Survival::Harshest(cutAt)
                                             : Survival::Kindest(cutAt));

                EXPECT_TRUE(next->run(t));

                const auto changed =
                    UnexpectedChanges(original, t.m.emulated.registryDump(), kAlice);
                EXPECT_TRUE(changed.empty())
                    << changed.size()
                    << " changes, the first: " << (changed.empty() ? "" : changed.front());
                EXPECT_FALSE(t.SavedFilesLeft()) << "the copy is used up";
                EXPECT_FALSE(t.MarkersSet());
                if (::testing::Test::HasFailure()) {
                    return; // one case tells the story; the rest would repeat it
                }
            }
        }
    }
}

const auto kFreshMachine = [](TrustMachine&) {};
const auto kAfterAnApply = [](TrustMachine& t) { t.Apply(); };

TEST(Crash, DuringTheApply) {
    CutAfterEveryChange(kFreshMachine, kApply);
}

TEST(Crash, DuringTheRestore) {
    CutAfterEveryChange(kAfterAnApply, kRestore);
}

TEST(Crash, DuringTheUninstallAsTheApplyingAccount) {
    CutAfterEveryChange(kAfterAnApply, kUninstallAsApplier);
}

TEST(Crash, DuringTheUninstallAsLocalSystem) {
    CutAfterEveryChange(kAfterAnApply, kUninstallAsSystem);
}

} // namespace
} // namespace tarrow::testing
