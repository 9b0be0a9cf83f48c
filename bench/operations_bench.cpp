// How long the shutdown operations' own work takes: 26 reads, the saved
// files and 26 writes, on the emulated machine (its registry in memory, its
// files on disk) with a bar that does not pace at all. Each also reports, as
// the counter "designed_ms", how long its pauses last when paced.
#include "platform/emulated/emulated_platform.h"
#include "registry/modregistry.h"
#include "shutdown/apply.h"
#include "shutdown/rating.h"
#include "shutdown/restore.h"
#include "shutdown/timeout_places.h"
#include "ui/pacing.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

using namespace tarrow;

// How long the pauses a bar counted last on a pacing bar.
void ReportDesignedDuration(benchmark::State& state, const shutdown::MemoryProgress& bar) {
    const auto length = ui::PauseLength(bar.pausedRounds());
    state.counters["designed_ms"] = std::chrono::duration<double, std::milli>(length).count();
}

// A machine with every place, each pair holding a time-out, and the folders
// the operations use.
class BenchMachine {
public:
    BenchMachine() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tarrow-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot make a temporary folder");
        }
        drive_ = pattern;
        platform_ = std::make_unique<platform::EmulatedPlatform>(pattern);
        std::filesystem::create_directories(platform_->hostPath(folder_));
        for (const TimeoutPlace& place : kTimeoutPlaces) {
            platform_->createKey(RootKey(place.root), std::string(place.keyPath));
        }
        for (const WritePair& pair : WritingOrder()) {
            modregistry::SetValue(*platform_, ValueKind::Text, pair.place->root,
                                  std::string(pair.place->keyPath), std::string(pair.valueName),
                                  "20000");
        }
    }
    ~BenchMachine() {
        platform_.reset();
        std::error_code ignored;
        std::filesystem::remove_all(drive_, ignored);
    }
    platform::Platform& platform() { return *platform_; }
    const std::string& folder() const { return folder_; }

private:
    std::filesystem::path drive_;
    std::unique_ptr<platform::EmulatedPlatform> platform_;
    std::string folder_ = "C:\\Program Files\\Tarrow";
};

void Apply(benchmark::State& state) {
    BenchMachine machine;
    shutdown::MemoryProgress bar(180.0f);
    for (auto _ : state) {
        bar = shutdown::MemoryProgress(180.0f);
        benchmark::DoNotOptimize(
            shutdown::Apply(machine.platform(), machine.folder(), {false, true}, bar));
    }
    ReportDesignedDuration(state, bar);
}

void Restore(benchmark::State& state) {
    BenchMachine machine;
    shutdown::MemoryProgress first(180.0f);
    shutdown::Apply(machine.platform(), machine.folder(), {false, true}, first);
    shutdown::MemoryProgress bar(180.0f);
    for (auto _ : state) {
        bar = shutdown::MemoryProgress(180.0f);
        benchmark::DoNotOptimize(shutdown::Restore(machine.platform(), machine.folder(), bar));
    }
    ReportDesignedDuration(state, bar);
}

void Rating(benchmark::State& state) {
    BenchMachine machine;
    shutdown::MemoryProgress bar;
    for (auto _ : state) {
        bar = shutdown::MemoryProgress();
        benchmark::DoNotOptimize(
            shutdown::RateCurrentSettings(machine.platform(), machine.folder(), bar));
    }
    ReportDesignedDuration(state, bar);
}

BENCHMARK(Apply)->Unit(benchmark::kMicrosecond);
BENCHMARK(Restore)->Unit(benchmark::kMicrosecond);
BENCHMARK(Rating)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
