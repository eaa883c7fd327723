#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>

#include "ExtendedTracerBaseline.h"
#include "engine/RegularTraces.h"
#include "engine/TrajectoryStarts.h"
#include "engine/WaveVelocity.h"

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

long TraceRegularPositions(const SimulationState& state)
{
    long positions = 0;
    TraceRegularStartsInOrder<long>(
        state, [](long& count, double, const TracePosition&) { ++count; },
        [&](double, long&& count) {
            positions += count;
            return true;
        });
    return positions;
}

double SecondsOf(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The regular paths of the wave model's Gaussian grating (its velocity
// table filled anew each time, as each output does), against the slit
// model's paths of the same grid in the same process (the fourth argument:
// 0 Euler, 1 adaptive). Cold: the first run in the process, the transforms
// planned and the table's memory touched for the first time; warm: the
// timed iterations after it.
void BM_WavePaths(benchmark::State& run)
{
    SimulationState state;
    Configure(state, run, run.range(3) == 1 ? Integrator::Adaptive : Integrator::Euler);
    TraceRegularPositions(state);
    const double slits = SecondsOf([&] { benchmark::DoNotOptimize(TraceRegularPositions(state)); });
    state.parameters.wave.model = FieldModel::Wave;
    const double cold = SecondsOf([&] { benchmark::DoNotOptimize(TraceRegularPositions(state)); });
    const double table = SecondsOf([&] { const WaveVelocityTable filled(state); });
    double warm = 0.0;
    long positions = 0;
    for (auto _ : run) {
        warm = SecondsOf([&] { positions = TraceRegularPositions(state); });
        benchmark::DoNotOptimize(positions);
    }
    run.counters["positions"] = static_cast<double>(positions);
    run.counters["slit_model_ms"] = slits * 1e3;
    run.counters["cold_ms"] = cold * 1e3;
    run.counters["table_ms"] = table * 1e3;
    run.counters["cold_times_slit_model"] = cold / slits;
    run.counters["warm_times_slit_model"] = warm / slits;
}

BENCHMARK(BM_RegularTrajectories)->Args({300, 2, 150})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RegularTrajectoriesBaseline)->Args({300, 2, 150})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RegularTrajectories)->Args({2000, 20, 1000})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RegularTrajectoriesAdaptive)->Args({2000, 20, 1000})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RegularTrajectoriesBaseline)->Args({2000, 20, 1000})->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_WavePaths)->Args({2000, 20, 1000, 0})->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_WavePaths)->Args({2000, 20, 1000, 1})->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

}  // namespace
}  // namespace nivaro
