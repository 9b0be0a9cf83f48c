// The crash harness: the power goes off after each change of an operation;
// the machine comes through each cut in the ways a real one could (the
// harshest, the kindest, and each of what a cut could take varied alone);
// a recovery follows. That recovery is cut in turn at each of its changes
// and followed by itself once more. After every recovery every value of
// every account's hive is as before the first apply, the saved copy is used
// up and the markers are not set.
#pragma once

#include "tests/trust/trust_machine.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tarrow::testing {

// Something a person does on the machine.
struct Step {
    const char* id;   // for a test's name: letters and digits
    const char* name; // for a story: "the uninstall as LocalSystem"
    // True when it ended as it should.
    std::function<bool(TrustMachine&)> run;
};

// One row of the crash table.
struct CrashRow {
    const char* id; // for a test's name: letters and digits
    // The machine as its owner has it before the first apply: every value
    // must come back to this.
    std::function<void(TrustMachine&)> machine;
    // What ran on it before the operation.
    std::function<void(TrustMachine&)> history;
    // The operation whose every change is a cut.
    Step operation;
    // Each is tried after every cut, in a test of its own.
    std::vector<Step> recoveries;
    // A second operation started inside the first: at its first change in
    // one run, at its second in the next, and so on. The changes of both are
    // cuts.
    std::optional<Step> inside = std::nullopt;
    // The account whose change it is: its hive may keep the markers, at "0".
    std::string applier = kAlice;
};

// What one run of the harness went through.
struct CrashTally {
    std::size_t cuts = 0;            // changes of the operation (and of `inside`)
    std::size_t firstSurvivals = 0;  // machines after a first cut, each recovered
    std::size_t secondSurvivals = 0; // machines after a cut of a recovery, recovered again
};

// Cuts the row's operation at every change and follows each survival with
// `recovery`, as described above; stops at the first machine that does not
// come back, with a failure that tells how it came about.
CrashTally CutEverywhere(const CrashRow& row, const Step& recovery);

} // namespace tarrow::testing
