#include <benchmark/benchmark.h>

#include <chrono>

#include "engine/CarpetPass.h"
#include "engine/DensityGrid.h"
#include "engine/PartialCoherence.h"
#include "engine/WaveModel.h"
#include "engine/WaveFunction.h"

namespace nivaro {
namespace {

void Configure(SimulationState& state, const benchmark::State& run)
{
    state.grid.nx = static_cast<int>(run.range(0));
    state.grid.nz = static_cast<int>(run.range(0));
    state.parameters.slits = static_cast<int>(run.range(1));
}

// Seconds of one density computation.
double DensitySeconds(SimulationState& state, ProgressSink& progress)
{
    const auto start = std::chrono::steady_clock::now();
    ComputeDensityGrid(state, progress);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Time per slit term, nx nz N terms per grid.
void CountTerms(benchmark::State& run)
{
    run.counters["per_term"] = benchmark::Counter(static_cast<double>(run.range(0) * run.range(0) * run.range(1)),
                                                  benchmark::Counter::kIsIterationInvariantRate |
                                                      benchmark::Counter::kInvert);
}

// The engine: blocks of rows by the slit-term recurrence, tiles of columns
// on every core.
void BM_DensityGrid(benchmark::State& run)
{
    SimulationState state;
    Configure(state, run);
    SilentProgress progress;
    for (auto _ : run) {
        ComputeDensityGrid(state, progress, PsiKept::Whole);
        benchmark::DoNotOptimize(state.densityField[0][0]);
    }
    CountTerms(run);
}

// Baseline: the direct kernel, every slit term by its own exponential, one
// column at a time on one thread, rows above nx / 2 mirrored.
void BM_DensityGridDirect(benchmark::State& run)
{
    SimulationState state;
    Configure(state, run);
    state.parameters.UpdateDerived();
    state.psiField.Reshape(state.grid.nx, state.grid.nz);
    state.densityField.Reshape(state.grid.nx, state.grid.nz);
    const SimulationParameters& p = state.parameters;
    const int nx = state.grid.nx;
    for (auto _ : run) {
        for (int j = 0; j < state.grid.nz; ++j) {
            const ColumnCoefficients column = ComputeColumnCoefficients(p, ColumnPosition(state, j));
            for (int i = 0; i < nx; ++i) {
                const int source = i <= nx / 2 ? i : nx - i;
                const Complex psi = source == i ? column.columnFactor * SlitSum(column.gaussExponent,
                                                                                 RowPosition(state, i), p.slits, p.d)
                                                : state.psiField[source][j];
                state.psiField[i][j] = psi;
                state.densityField[i][j] = std::norm(psi) * DensityNormalisation(p);
            }
        }
        benchmark::DoNotOptimize(state.densityField[0][0]);
    }
    CountTerms(run);
}

// The wave model with soft-edged rectangular openings at lambda / d = 0.01
// (the third argument: 0 paraxial, 1 exact), against the slit sum of the
// same grid in the same process, warm (counter times_slit_model).
void BM_WaveModel(benchmark::State& run)
{
    SimulationState state;
    Configure(state, run);
    state.parameters.lambda = 1e-10;
    state.parameters.slitWidth = 4e-9;
    SilentProgress progress;
    ComputeDensityGrid(state, progress);  // the grid's memory touched once, as for the wave model's runs
    const double slits = DensitySeconds(state, progress);
    state.parameters.wave.model = FieldModel::Wave;
    state.parameters.wave.grating = GratingKind::Rectangular;
    state.parameters.wave.propagator = run.range(2) == 1 ? Propagator::Exact : Propagator::Paraxial;
    double seconds = 0.0;
    for (auto _ : run) {
        seconds = DensitySeconds(state, progress);
        benchmark::DoNotOptimize(state.densityField[0][0]);
    }
    run.counters["slit_model_ms"] = slits * 1e3;
    run.counters["times_slit_model"] = seconds / slits;
    run.counters["fine_points"] = static_cast<double>(PlanWaveGrid(state).size);
}

// The carpet stage the window runs on Apply (the density, then the grey
// carpet, with the regular paths when the third argument is 1) of the wave
// model with soft-edged rectangular openings at lambda / d = 0.01, against
// the slit model's stage on the same grid in the same process, warm
// (counter times_slit_model).
void BM_WaveCarpetStage(benchmark::State& run)
{
    SimulationState state;
    Configure(state, run);
    state.parameters.lambda = 1e-10;
    state.parameters.slitWidth = 4e-9;
    state.grid.nxb = state.grid.nx / 2;
    const CarpetOptions options{1, run.range(2) == 1, std::nullopt};
    SilentProgress progress;
    const auto stage = [&] {
        const auto start = std::chrono::steady_clock::now();
        ComputeDensityGrid(state, progress);
        RenderCarpet(state, options, progress);
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    stage();  // the grids' memory touched once
    const double slits = stage();
    state.parameters.wave.model = FieldModel::Wave;
    state.parameters.wave.grating = GratingKind::Rectangular;
    double seconds = 0.0;
    for (auto _ : run) {
        seconds = stage();
        benchmark::DoNotOptimize(state.carpetGreen[0][0]);
    }
    run.counters["slit_model_ms"] = slits * 1e3;
    run.counters["times_slit_model"] = seconds / slits;
}

BENCHMARK(BM_WaveCarpetStage)->Args({300, 2, 0})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WaveCarpetStage)->Args({2000, 20, 0})->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_WaveCarpetStage)->Args({2000, 20, 1})->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// A partially coherent beam of the third argument's points per spread (a
// spread of wavelengths and, with the fourth argument 1, of angles: a
// tilted slit-model sample is propagated as the wave model's Gaussian
// openings), of the slit model or (fifth argument 1) the wave model's
// rectangular openings, against the coherent run of the same settings in
// the same process, warm; counter per_sample_vs_coherent is one sample's
// share of the time over the coherent run's.
void BM_PartialCoherence(benchmark::State& run)
{
    SimulationState state;
    Configure(state, run);
    state.parameters.lambda = 1e-10;
    if (run.range(4) == 1) {
        state.parameters.slitWidth = 4e-9;
        state.parameters.wave.model = FieldModel::Wave;
        state.parameters.wave.grating = GratingKind::Rectangular;
    }
    SilentProgress progress;
    ComputeDensityGrid(state, progress);
    const double coherent = DensitySeconds(state, progress);
    WaveSettings& wave = state.parameters.wave;
    wave.coherenceSamples = static_cast<int>(run.range(2));
    wave.lambdaSpread = 0.02;
    wave.sourceWidth = run.range(3) == 1 ? 1e-4 : 0.0;
    const double samples = static_cast<double>(CoherenceSampleCounts(state).Total());
    double seconds = 0.0;
    for (auto _ : run) {
        seconds = DensitySeconds(state, progress);
        benchmark::DoNotOptimize(state.densityField[0][0]);
    }
    run.counters["samples"] = samples;
    run.counters["coherent_ms"] = coherent * 1e3;
    run.counters["per_sample_vs_coherent"] = seconds / samples / coherent;
}

BENCHMARK(BM_PartialCoherence)->Args({300, 2, 9, 0, 0})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PartialCoherence)->Args({300, 2, 25, 0, 0})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PartialCoherence)->Args({300, 2, 3, 1, 0})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PartialCoherence)->Args({300, 2, 5, 1, 0})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PartialCoherence)->Args({300, 2, 3, 1, 1})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PartialCoherence)->Args({300, 2, 5, 1, 1})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PartialCoherence)->Args({2000, 20, 9, 0, 0})->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_PartialCoherence)->Args({2000, 20, 3, 1, 0})->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_PartialCoherence)->Args({2000, 20, 3, 1, 1})->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

BENCHMARK(BM_WaveModel)->Args({300, 2, 0})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WaveModel)->Args({2000, 20, 0})->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_WaveModel)->Args({2000, 20, 1})->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_DensityGrid)->Args({300, 2})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DensityGridDirect)->Args({300, 2})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DensityGrid)->Args({1000, 10})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DensityGridDirect)->Args({1000, 10})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DensityGrid)->Args({2000, 20})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DensityGridDirect)->Args({2000, 20})->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_DensityGrid)->Args({4000, 41})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DensityGridDirect)->Args({4000, 41})->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
}  // namespace nivaro
