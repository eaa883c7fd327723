#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "TestFiles.h"
#include "output/TrajectoryCsvBaseline.h"
#include "output/TrajectoryFile.h"

namespace nivaro {
namespace {

// The batch run nx = nz = 2000, 20 slits, nxb = 1000, step 1 (about 1.94
// million positions, 182 MB of CSV), and a folder for its files.
struct LargeRun {
    LargeRun()
    {
        state.grid.nx = state.grid.nz = 2000;
        state.parameters.slits = 20;
        state.grid.nxb = 1000;
        state.grid.step = 1.0;
        state.parameters.UpdateDerived();
    }

    SimulationState state;
    ScratchFolder folder;
};

using CsvWriter = std::function<void(std::FILE*, const SimulationState&)>;

// Seconds to write the CSV into a new file, as the program does (the file is
// removed afterwards, outside the time).
double TimeCsv(const CsvWriter& write, const SimulationState& state, const std::filesystem::path& path)
{
    const auto start = std::chrono::steady_clock::now();
    std::FILE* stream = std::fopen(path.c_str(), "w");
    write(stream, state);
    std::fclose(stream);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::filesystem::remove(path);
    return seconds;
}

// Each iteration writes the CSV with the writer and with the baseline (the
// writer before: to_chars into a string grown anew per start), in the order
// the argument gives (0: the writer first); the time is the writer's, the
// counters give the baseline's and the ratio. With one iteration, run alone
// in a fresh process (--benchmark_filter=cold/0, then cold/1), it is the
// cold figure: whichever writes first pays the process's first touches, so
// both orders are measured.
void BM_TrajectoryCsv(benchmark::State& run)
{
    const LargeRun large;
    const bool baselineFirst = run.range(0) != 0;
    double writer = 0.0;
    double baselineSeconds = 0.0;
    for (auto _ : run) {
        const auto timeBaseline = [&] {
            baselineSeconds += TimeCsv(baseline::WriteTrajectoryCsv, large.state, large.folder / "baseline.csv");
        };
        if (baselineFirst) {
            timeBaseline();
        }
        const double seconds = TimeCsv(WriteTrajectoryCsv, large.state, large.folder / "new.csv");
        if (!baselineFirst) {
            timeBaseline();
        }
        writer += seconds;
        run.SetIterationTime(seconds);
    }
    run.counters["baseline_s"] = baselineSeconds / static_cast<double>(run.iterations());
    run.counters["speedup"] = baselineSeconds / writer;
}

// The array files: tracing into records, then the file written and put in
// place.
void BM_TrajectoryArray(benchmark::State& run, const char* name)
{
    const LargeRun large;
    const std::filesystem::path path = large.folder / name;
    double tracing = 0.0;
    double writing = 0.0;
    for (auto _ : run) {
        const auto start = std::chrono::steady_clock::now();
        TrajectoryOutput output(path.string(), {});
        output.Trace(large.state);
        const auto traced = std::chrono::steady_clock::now();
        output.Commit();
        const auto written = std::chrono::steady_clock::now();
        tracing += std::chrono::duration<double>(traced - start).count();
        writing += std::chrono::duration<double>(written - traced).count();
        run.SetIterationTime(std::chrono::duration<double>(written - start).count());
        std::filesystem::remove(path);
    }
    run.counters["trace_s"] = tracing / static_cast<double>(run.iterations());
    run.counters["write_s"] = writing / static_cast<double>(run.iterations());
}

BENCHMARK(BM_TrajectoryCsv)->Name("BM_TrajectoryCsv/cold")->Arg(0)->Arg(1)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TrajectoryCsv)->Name("BM_TrajectoryCsv/warm")->Arg(0)->Iterations(6)->Repetitions(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TrajectoryArray, npy, "t.npy")->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TrajectoryArray, h5, "t.h5")->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace nivaro

BENCHMARK_MAIN();
