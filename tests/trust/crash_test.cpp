// The power goes off after each change that an apply, a restore or an
// uninstall makes, in turn, and the machine comes through in every way a
// real one could (see crash_harness.h). After the reboot, whatever the
// person does next (what the main window offers, or the uninstall as the
// applying account or as LocalSystem), even when that is cut too, brings
// back every value of every account's hive as it was before the first
// apply, and uses the saved copy up.
//
// A row is a machine, what ran on it, the operation cut and the recoveries
// tried next; each row and recovery is a test of its own.
#include "tests/trust/crash_harness.h"

#include "shutdown/change_in_force.h"
#include "shutdown/operation_lock.h"
#include "shutdown/system_mark_file.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace tarrow::testing {
namespace {

const Step kApply{"Apply", "the apply", [](TrustMachine& t) {
                      t.Apply();
                      return true;
                  }};
const Step kRestore{"Restore", "the restore", [](TrustMachine& t) {
                        t.Restore();
                        return true;
                    }};
const Step kMainWindow{"MainWindow", "what the main window offers",
                       [](TrustMachine& t) { return t.DoWhatTheMainWindowOffers(); }};
const Step kUninstallAsApplier{"UninstallAsApplier", "the uninstall as the applying account",
                               [](TrustMachine& t) { return t.Uninstall(kAlice, true) == 0; }};
const Step kUninstallAsSystem{
    "UninstallAsSystem", "the uninstall as LocalSystem, the applying account logged off",
    [](TrustMachine& t) { return t.Uninstall(kLocalSystem, false) == 0; }};
const Step kUninstallAsSystemBesideApplier{
    "UninstallAsSystemBesideApplier",
    "the uninstall as LocalSystem, the applying account logged on",
    [](TrustMachine& t) { return t.Uninstall(kLocalSystem, true) == 0; }};

const std::vector<Step> kEveryRecovery = {kMainWindow, kUninstallAsApplier, kUninstallAsSystem};

// Bob's change, met by alice and by LocalSystem with bob logged off: his
// values go into his hive, loaded from his profile, and none into alice's.
const Step kUninstallAsAliceForBob{
    "UninstallAsAlice", "the uninstall as alice, the applying account bob logged off",
    [](TrustMachine& t) { return t.Uninstall(kAlice, false, kBob) == 0; }};
const Step kUninstallAsSystemForBob{
    "UninstallAsSystem", "the uninstall as LocalSystem, the applying account bob logged off",
    [](TrustMachine& t) { return t.Uninstall(kLocalSystem, false, kBob) == 0; }};
const Step kBobsMainWindow{"BobsMainWindow", "what bob's main window offers",
                           [](TrustMachine& t) { return t.DoWhatTheMainWindowOffers(kBob); }};
const std::vector<Step> kBobsRecoveries = {kBobsMainWindow, kUninstallAsAliceForBob,
                                           kUninstallAsSystemForBob};

// While place 6's hive file is in use the uninstall cannot put that place
// back: it must say so and keep the copy and the markers. A later boot frees
// the file, and whatever the person does then brings everything back.
const Step kUninstallAsSystemPlace6InUse{
    "UninstallAsSystem", "the uninstall as LocalSystem while place 6's hive file is in use",
    [](TrustMachine& t) {
        return t.Uninstall(kLocalSystem, false) == 1 && t.SavedFilesLeft() && t.MarkersSet();
    }};
const Step kMainWindowOnceFreed{
    "MainWindow", "what the main window offers, after a boot that frees the hive file",
    [](TrustMachine& t) {
        t.m.emulated.clearFaults();
        return t.DoWhatTheMainWindowOffers();
    }};
const Step kUninstallAsApplierOnceFreed{
    "UninstallAsApplier",
    "the uninstall as the applying account, after a boot that frees the hive file",
    [](TrustMachine& t) {
        t.m.emulated.clearFaults();
        return t.Uninstall(kAlice, true) == 0;
    }};
const Step kUninstallAsSystemOnceFreed{
    "UninstallAsSystem",
    "the uninstall as LocalSystem, the applying account logged off, after a boot that frees the "
    "hive file",
    [](TrustMachine& t) {
        t.m.emulated.clearFaults();
        return t.Uninstall(kLocalSystem, false) == 0;
    }};
const std::vector<Step> kRecoveriesOnceFreed = {kMainWindowOnceFreed, kUninstallAsApplierOnceFreed,
                                                kUninstallAsSystemOnceFreed};

// A second operation started while the first runs: while the first holds
// the lock, the second writes nothing and says so (Tarrow in a box, the
// uninstaller by its code). Once the first has let go, it goes ahead as it
// would afterwards.
bool LockHeld(TrustMachine& t) {
    return shutdown::MarkFileHeld(t.m.p, shutdown::OperationLockPath(t.m.p));
}
// A Tarrow whose settings window was open before the first operation
// began: its Retry comes now, as the account that runs it. The machine is
// left running as it was.
const Step kSecondTarrowsApply{
    "SecondApply", "a second Tarrow's apply", [](TrustMachine& t) {
        const bool locked = LockHeld(t);
        const std::string running = shutdown::RunningAccount(t.m.p);
        const std::string module = t.m.emulated.GetModuleFileNameA();
        {
            TrustMachine::Tarrow second(t);
            second.menu().ApplySettings({false, false});
            const auto& boxes = second.driver.messages();
            const bool refused = !boxes.empty() && boxes.back().text ==
                                                       "Another Tarrow operation is running, so "
                                                       "nothing was changed. Try again when it "
                                                       "has ended.";
            EXPECT_EQ(refused, locked) << "refused exactly while the lock is held";
        }
        t.m.emulated.runAs(running);
        t.m.emulated.setModulePath(module);
        return true;
    }};
const Step kUninstallAlongside{"UninstallAlongside", "the uninstall as LocalSystem",
                               [](TrustMachine& t) {
                                   const bool locked = LockHeld(t);
                                   const std::string module = t.m.emulated.GetModuleFileNameA();
                                   const std::uint32_t code = t.Uninstall(kLocalSystem, true);
                                   if (locked) {
                                       // A running Tarrow holds the lock: its mark is met first.
                                       EXPECT_EQ(code, rollback::kExitTarrowRunning);
                                   }
                                   t.m.emulated.setModulePath(module);
                                   return true;
                               }};

// Every place with a value of its own, values of odd kinds among them.
void Filled(TrustMachine& t) {
    t.FillEveryPlace();
    t.AddOddValues();
}
void NothingYet(TrustMachine&) {}
void Applied(TrustMachine& t) {
    t.Apply();
}
// The applying account lost its markers, so its next apply merges with the
// copy in force.
void AppliedMarkersLost(TrustMachine& t) {
    t.Apply();
    t.LoseMarkers();
}
// An earlier version applied: the same values, markers and copy, and no
// record of who applied.
void AppliedEarlier(TrustMachine& t) {
    t.Apply();
    t.ForgetWhoApplied();
}
void FilledBobToo(TrustMachine& t) {
    Filled(t);
    t.GiveBobHisOwnPart();
}
void BobAppliedEarlier(TrustMachine& t) {
    t.Apply(kBob);
    t.ForgetWhoApplied();
}
// Place 6 lies in carol's profile, whose hive file another process holds
// once she has logged off.
void FilledPlace6InAProfile(TrustMachine& t) {
    t.AddPlace6Account();
    Filled(t);
}
void AppliedPlace6InUse(TrustMachine& t) {
    t.Apply();
    t.m.emulated.setLoggedOn(kCarol, false);
    t.m.emulated.failHiveLoad(kCarolsHiveFile);
}

const std::vector<CrashRow> kRows = {
    {"Apply", Filled, NothingYet, kApply, kEveryRecovery},
    {"Restore", Filled, Applied, kRestore, kEveryRecovery},
    {"UninstallAsApplier", Filled, Applied, kUninstallAsApplier, kEveryRecovery},
    {"UninstallAsSystem", Filled, Applied, kUninstallAsSystem, kEveryRecovery},
    {"UninstallAsSystemBesideApplier", Filled, Applied, kUninstallAsSystemBesideApplier,
     kEveryRecovery},
    {"MergingApply", Filled, AppliedMarkersLost, kApply, kEveryRecovery},
    {"EarlierRestore", Filled, AppliedEarlier, kRestore, kEveryRecovery},
    {"EarlierUninstallAsSystem", Filled, AppliedEarlier, kUninstallAsSystem, kEveryRecovery},
    {"EarlierBobsUninstallAsAlice", FilledBobToo, BobAppliedEarlier, kUninstallAsAliceForBob,
     kBobsRecoveries, std::nullopt, kBob},
    {"EarlierBobsUninstallAsSystem", FilledBobToo, BobAppliedEarlier, kUninstallAsSystemForBob,
     kBobsRecoveries, std::nullopt, kBob},
    {"Place6InUseUninstallAsSystem", FilledPlace6InAProfile, AppliedPlace6InUse,
     kUninstallAsSystemPlace6InUse, kRecoveriesOnceFreed},
    {"ApplyBesideASecondApply",
     Filled,
     NothingYet,
     kApply,
     {kUninstallAsApplier},
     kSecondTarrowsApply},
    {"ApplyBesideAnUninstall",
     Filled,
     NothingYet,
     kApply,
     {kUninstallAsApplier},
     kUninstallAlongside},
    {"RestoreBesideASecondApply", Filled, Applied, kRestore, {kMainWindow}, kSecondTarrowsApply},
    {"UninstallBesideAnApply",
     Filled,
     Applied,
     kUninstallAsSystemBesideApplier,
     {kUninstallAsApplier},
     kSecondTarrowsApply},
};

struct CrashCase {
    const CrashRow* row;
    const Step* recovery;
};

std::vector<CrashCase> EveryRowAndRecovery() {
    std::vector<CrashCase> cases;
    for (const CrashRow& row : kRows) {
        for (const Step& recovery : row.recoveries) {
            cases.push_back({&row, &recovery});
        }
    }
    return cases;
}

void PrintTo(const CrashCase& test, std::ostream* out) {
    *out << test.row->id << ", then " << test.recovery->name;
}

class Crash : public ::testing::TestWithParam<CrashCase> {};

TEST_P(Crash, EveryValueComesBack) {
    const CrashTally tally = CutEverywhere(*GetParam().row, *GetParam().recovery);
    RecordProperty("cuts", static_cast<int>(tally.cuts));
    RecordProperty("first_survivals", static_cast<int>(tally.firstSurvivals));
    RecordProperty("second_survivals", static_cast<int>(tally.secondSurvivals));
}

std::string TestName(const ::testing::TestParamInfo<CrashCase>& test) {
    return std::string(test.param.row->id) + "_Then" + test.param.recovery->id;
}

INSTANTIATE_TEST_SUITE_P(During, Crash, ::testing::ValuesIn(EveryRowAndRecovery()), TestName);

} // namespace
} // namespace tarrow::testing
