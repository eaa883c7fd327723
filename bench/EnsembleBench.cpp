#include <benchmark/benchmark.h>

#include "ExtendedTracerBaseline.h"
#include "engine/DensityGrid.h"
#include "engine/QuantumPotential.h"
#include "engine/TrajectoryEnsemble.h"

namespace nivaro {
namespace {

// The default grid with the configured whole-column step.
void UseDefaultRun(SimulationState& state)
{
    state.grid.step = GridSettings::kConfiguredStep;
    state.parameters.UpdateDerived();
}

// K sampled trajectories traced on every core, with the histogram at the
// last column; the second argument is the integrator.
void BM_Ensemble(benchmark::State& run)
{
    SimulationState state;
    UseDefaultRun(state);
    const int count = static_cast<int>(run.range(0));
    SilentProgress progress;
    for (auto _ : run) {
        const Ensemble ensemble = TraceEnsemble(state, {count, 1, static_cast<Integrator>(run.range(1))}, progress);
        benchmark::DoNotOptimize(HistogramAt(state, ensemble, state.grid.nz - 1, kDefaultHistogramBins).totalVariation);
    }
    run.counters["trajectories_per_s"] = benchmark::Counter(count, benchmark::Counter::kIsIterationInvariantRate);
}

// Baseline: the same starts traced by the tracer before the vector one, one
// path at a time in extended precision, on every core.
void BM_EnsembleBaseline(benchmark::State& run)
{
    SimulationState state;
    UseDefaultRun(state);
    const int count = static_cast<int>(run.range(0));
    const std::vector<double> starts = SampleStartRows(state, {count, 1});
    for (auto _ : run) {
        benchmark::DoNotOptimize(TraceOneAfterAnother(state, starts));
    }
    run.counters["trajectories_per_s"] = benchmark::Counter(count, benchmark::Counter::kIsIterationInvariantRate);
}

// Q on an n by n grid of N slits, in parallel with the column quantities
// shared by each column.
void BM_QuantumPotential(benchmark::State& run)
{
    SimulationState state;
    state.grid.nx = state.grid.nz = static_cast<int>(run.range(0));
    state.parameters.slits = static_cast<int>(run.range(1));
    SilentProgress progress;
    RealMatrixT q(0, 0);
    for (auto _ : run) {
        ComputeQuantumPotential(state, q, progress);
        benchmark::DoNotOptimize(q[0][0]);
    }
    run.counters["points_per_s"] = benchmark::Counter(double(run.range(0)) * double(run.range(0)),
                                                      benchmark::Counter::kIsIterationInvariantRate);
}

// Baseline: the direct evaluation point by point on one thread, every
// column's quantities computed anew.
void BM_QuantumPotentialBaseline(benchmark::State& run)
{
    SimulationState state;
    state.grid.nx = state.grid.nz = static_cast<int>(run.range(0));
    state.parameters.slits = static_cast<int>(run.range(1));
    state.parameters.UpdateDerived();
    for (auto _ : run) {
        double sum = 0;
        for (int j = 0; j < state.grid.nz; ++j) {
            for (int i = 0; i < state.grid.nx; ++i) {
                sum += QuantumPotentialAt(state.parameters, RowPosition(state, i), ColumnPosition(state, j));
            }
        }
        benchmark::DoNotOptimize(sum);
    }
    run.counters["points_per_s"] = benchmark::Counter(double(run.range(0)) * double(run.range(0)),
                                                      benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK(BM_Ensemble)->Args({100000, static_cast<int>(Integrator::Adaptive)})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Ensemble)->Args({100000, static_cast<int>(Integrator::Euler)})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EnsembleBaseline)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_QuantumPotential)->Args({2000, 20})->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_QuantumPotentialBaseline)->Args({2000, 20})->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace nivaro
