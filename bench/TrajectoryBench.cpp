#include <benchmark/benchmark.h>

#include "ExtendedTracerBaseline.h"
#include "engine/RegularTraces.h"
#include "engine/TrajectoryStarts.h"

namespace nivaro {
namespace {

// Grid size, slit count and nxb from the benchmark's arguments; step 1.
void Configure(SimulationState& state, const benchmark::State& run, Integrator integrator = Integrator::Euler)
{
    state.grid.nx = state.grid.nz = static_cast<int>(run.range(0));
    state.parameters.slits = static_cast<int>(run.range(1));
    state.grid.nxb = static_cast<int>(run.range(2));
    state.grid.step = 1.0;
    state.grid.integrator = integrator;
    state.parameters.UpdateDerived();
}

// The regular trajectories as the carpet and the CSV trace them: blocks of
// paths in the vector lanes, on every core.
void TraceRegular(benchmark::State& run, Integrator integrator)
{
    SimulationState state;
    Configure(state, run, integrator);
    long positions = 0;
    for (auto _ : run) {
        positions = 0;
        TraceRegularStartsInOrder<long>(
            state, [](long& count, double, const TracePosition&) { ++count; },
            [&](double, long&& count) {
                positions += count;
                return true;
            });
        benchmark::DoNotOptimize(positions);
    }
    run.counters["positions"] = static_cast<double>(positions);
}

void BM_RegularTrajectories(benchmark::State& run)
{
    TraceRegular(run, Integrator::Euler);
}

// The same starts with the error-controlled integrator (tolerance 1e-6
// pixels), against the Euler steps above.
void BM_RegularTrajectoriesAdaptive(benchmark::State& run)
{
    TraceRegular(run, Integrator::Adaptive);
}

// Baseline: the tracer before the vector one, one path at a time with the
// velocity in extended precision, the starts on every core.
void BM_RegularTrajectoriesBaseline(benchmark::State& run)
{
    SimulationState state;
    Configure(state, run);
    const std::vector<double> starts = RegularStartRows(state, state.grid.dxb);
    long positions = 0;
    for (auto _ : run) {
        positions = TraceOneAfterAnother(state, starts);
        benchmark::DoNotOptimize(positions);
    }
    run.counters["positions"] = static_cast<double>(positions);
}

BENCHMARK(BM_RegularTrajectories)->Args({300, 2, 150})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RegularTrajectoriesBaseline)->Args({300, 2, 150})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RegularTrajectories)->Args({2000, 20, 1000})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RegularTrajectoriesAdaptive)->Args({2000, 20, 1000})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RegularTrajectoriesBaseline)->Args({2000, 20, 1000})->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
}  // namespace nivaro
