#include "tests/trust/crash_harness.h"

#include "shutdown/admin_log.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <set>

namespace tarrow::testing {

namespace {

using platform::emulated::CutDimensions;
using platform::emulated::DiskImage;
using platform::emulated::FileSurvival;
using platform::emulated::kEveryFileSurvival;
using platform::emulated::Survival;

struct Tried {
    std::string how;
    Survival survival;
};

const char* Describe(FileSurvival state) {
    switch (state) {
    case FileSurvival::Empty:
        return "empty";
    case FileSurvival::Zeros:
        return "zeros";
    case FileSurvival::LastFlushed:
        return "as last flushed";
    case FileSurvival::AsWritten:
        break;
    }
    return "as written";
}

// The survivals tried at a cut: the harshest and the kindest, then, unless
// only those, each of what the cut could take varied alone over its values
// with the rest kind.
std::vector<Tried> SurvivalsAt(const CutDimensions& cut, bool extremesOnly) {
    std::vector<Tried> tried = {{"the harshest survival", Survival::Harshest(cut)},
                                {"the kindest survival", Survival::Kindest(cut)}};
    if (extremesOnly) {
        return tried;
    }
    const Survival kind = Survival::Kindest(cut);
    for (std::size_t kept = 0; kept < cut.metadataChanges; ++kept) {
        Survival survival = kind;
        survival.metadataChanges = kept;
        tried.push_back({std::to_string(kept) + " of " + std::to_string(cut.metadataChanges) +
                             " metadata changes kept",
                         survival});
    }
    for (std::size_t file = 0; file < cut.unflushedFiles.size(); ++file) {
        for (const FileSurvival state : kEveryFileSurvival) {
            if (state != FileSurvival::AsWritten) {
                Survival survival = kind;
                survival.files[file] = state;
                tried.push_back({cut.unflushedFiles[file] + " " + Describe(state), survival});
            }
        }
    }
    for (std::size_t hive = 0; hive < cut.hives.size(); ++hive) {
        for (std::size_t kept = 0; kept < cut.hives[hive].changes; ++kept) {
            Survival survival = kind;
            survival.hiveChanges[hive] = kept;
            tried.push_back({cut.hives[hive].name + " keeps " + std::to_string(kept) + " of " +
                                 std::to_string(cut.hives[hive].changes) + " changes",
                             survival});
        }
    }
    return tried;
}

// A machine after a cut, and how it came about.
struct Cut {
    std::string story;
    DiskImage image;
    bool extreme = false; // the harshest or the kindest survival of its cut
};

// The drive key of Tarrow.log's folder: "c:\\windows\\logs\\tarrow\\".
std::string LogFolderKey(TrustMachine& t) {
    std::string key = shutdown::AdminLogFolder(t.m.p) + "\\";
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return key;
}

// Keeps what each cut of the machine would leave, from now on, unless the
// same was seen before. Machines that differ only in Tarrow.log count as
// seen: every entry differs by its time, no operation reads the log, and
// the log's own cuts are proven where it is written.
class CutCollector {
public:
    CutCollector(TrustMachine& t, std::string story, bool extremesOnly,
                 std::set<std::uint64_t>& seen, std::vector<Cut>& cuts)
        : t_(t), story_(std::move(story)), extremesOnly_(extremesOnly), seen_(seen), cuts_(cuts),
          logFolder_(LogFolderKey(t)) {}

    // After `changes` changes: of the journal as it stands.
    void collect(std::size_t changes) {
        std::string where = "before its first change";
        if (changes > 0) {
            const auto& entry = t_.m.emulated.journal()[changes - 1];
            where = "after its change " + std::to_string(changes) + " (" + entry.call + " " +
                    entry.target + ")";
        }
        const std::vector<Tried> tried = SurvivalsAt(t_.m.emulated.cutDimensions(), extremesOnly_);
        std::vector<Survival> survivals;
        for (const Tried& each : tried) {
            survivals.push_back(each.survival);
        }
        std::vector<DiskImage> images = t_.m.emulated.survivors(survivals);
        for (std::size_t k = 0; k < tried.size(); ++k) {
            if (seen_.insert(images[k].hash(logFolder_)).second) {
                cuts_.push_back(
                    {story_ + " cut " + where + ", " + tried[k].how, std::move(images[k]), k < 2});
            }
        }
    }

private:
    TrustMachine& t_;
    std::string story_;
    bool extremesOnly_;
    std::set<std::uint64_t>& seen_;
    std::vector<Cut>& cuts_;
    std::string logFolder_;
};

// Runs `step` and collects every cut of it; true when it ended as it
// should. When `inside` is given, it runs at the step's change `insideAt`.
bool RunCollecting(TrustMachine& t, const Step& step, CutCollector& collector,
                   const std::optional<Step>& inside = std::nullopt, std::size_t insideAt = 0) {
    // With a second operation, what a cut leaves before it starts is what
    // the run without one leaves: only the cuts from its start on are new.
    if (!inside) {
        collector.collect(0);
    }
    bool started = false;
    t.m.emulated.watchChanges([&](std::size_t changes) {
        if (!inside || changes >= insideAt) {
            collector.collect(changes);
        }
        if (inside && !started && changes == insideAt) {
            started = true;
            inside->run(t);
        }
    });
    const bool done = step.run(t);
    t.m.emulated.watchChanges({});
    return done;
}

// Whether the machine came back: every value as before the first apply, the
// copy used up, the markers not set.
::testing::AssertionResult CameBack(TrustMachine& t, const RegistryDump& original,
                                    const std::string& applier, bool done) {
    if (!done) {
        return ::testing::AssertionFailure() << "the recovery did not end as it should";
    }
    auto now = t.m.emulated.registryDump();
    // The mark an uninstall leaves for its package, which a cut can keep
    // from removing it; it lapses by itself.
    bool changeMarkLeft = false;
    if (const auto tarrow = now.find("hkey_local_machine\\software\\tarrow"); tarrow != now.end()) {
        tarrow->second.erase("uninstallinprogress");
        changeMarkLeft = tarrow->second.count("changeinforce") != 0;
    }
    const auto changed = UnexpectedChanges(original, now, applier);
    if (!changed.empty()) {
        return ::testing::AssertionFailure()
               << changed.size() << " changes, the first: " << changed.front();
    }
    if (t.SavedFilesLeft()) {
        return ::testing::AssertionFailure() << "the saved copy is not used up";
    }
    if (t.MarkersSet()) {
        return ::testing::AssertionFailure() << "the markers are set";
    }
    if (changeMarkLeft) {
        return ::testing::AssertionFailure() << "the mark of a change in force is left";
    }
    return ::testing::AssertionSuccess();
}

} // namespace

CrashTally CutEverywhere(const CrashRow& row, const Step& recovery) {
    CrashTally tally;
    TrustMachine t;
    row.machine(t);
    const RegistryDump original = t.m.emulated.registryDump();
    row.history(t);
    // Time passes before the operation: the system writes everything.
    t.m.emulated.settle();
    const DiskImage before = t.m.emulated.survivor(Survival::Kindest(t.m.emulated.cutDimensions()));

    // The first cuts, collected while the operation runs on: what a cut after
    // change n leaves is what the machine would leave at that moment.
    std::set<std::uint64_t> seen;
    std::vector<Cut> firstCuts;
    CutCollector first(t, row.operation.name, false, seen, firstCuts);
    t.m.emulated.restartFrom(before);
    if (!row.inside) {
        EXPECT_TRUE(RunCollecting(t, row.operation, first))
            << row.operation.name << " ends as it should when nothing cuts it";
        tally.cuts = t.m.emulated.journal().size();
    } else {
        row.operation.run(t);
        const std::size_t changes = t.m.emulated.journal().size();
        // Each start of the second operation gives a run of its own, cut
        // at each change as the harshest and the kindest survival: every
        // way a cut can fall alone is the business of the rows without one.
        for (std::size_t at = 1; at <= changes; ++at) {
            t.m.emulated.restartFrom(before);
            CutCollector interleaved(t,
                                     std::string(row.operation.name) + " with " + row.inside->name +
                                         " started at its change " + std::to_string(at) + ",",
                                     true, seen, firstCuts);
            RunCollecting(t, row.operation, interleaved, row.inside, at);
            tally.cuts += t.m.emulated.journal().size();
        }
        // The recovery is cut in turn in the rows without a second
        // operation; here each machine is recovered once.
        for (Cut& cut : firstCuts) {
            cut.extreme = false;
        }
    }
    EXPECT_GT(tally.cuts, 10u) << row.operation.name << " changes things";
    tally.firstSurvivals = firstCuts.size();

    // Each is recovered; the recovery of the harshest and the kindest is cut
    // in turn, each of those cuts coming through as its harshest and its
    // kindest, and recovered again.
    const std::string then = std::string(", then ") + recovery.name;
    for (const Cut& cut : firstCuts) {
        t.m.emulated.restartFrom(cut.image);
        std::vector<Cut> secondCuts;
        CutCollector second(t, cut.story + then, true, seen, secondCuts);
        const bool done = cut.extreme ? RunCollecting(t, recovery, second) : recovery.run(t);
        EXPECT_TRUE(CameBack(t, original, row.applier, done)) << cut.story << then;
        if (::testing::Test::HasFailure()) {
            return tally; // one machine tells the story; the rest would repeat it
        }
        for (const Cut& secondCut : secondCuts) {
            t.m.emulated.restartFrom(secondCut.image);
            EXPECT_TRUE(CameBack(t, original, row.applier, recovery.run(t)))
                << secondCut.story << then << " again";
            if (::testing::Test::HasFailure()) {
                return tally;
            }
        }
        tally.secondSurvivals += secondCuts.size();
    }
    return tally;
}

} // namespace tarrow::testing
