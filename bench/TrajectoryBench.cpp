#include <benchmark/benchmark.h>

#include <atomic>

#include "engine/BohmTrajectory.h"
#include "engine/OrderedBlocks.h"
#include "engine/PhysicalConstants.h"
#include "engine/TrajectoryStarts.h"

namespace nivaro {
namespace {

// Grid size, slit count and nxb from the benchmark's arguments; step 1.
void Configure(SimulationState& state, const benchmark::State& run)
{
    state.grid.nx = state.grid.nz = static_cast<int>(run.range(0));
    state.parameters.slits = static_cast<int>(run.range(1));
    state.grid.nxb = static_cast<int>(run.range(2));
    state.grid.step = 1.0;
    state.parameters.UpdateDerived();
}

// The velocity as the engine computed it before: every slit term by its own
// exponential in extended precision.
long double PerSlitVelocity(const SimulationState& state, double zAbs, double row)
{
    const SimulationParameters& p = state.parameters;
    const ColumnCoefficients column = ComputeColumnCoefficients(p, zAbs * state.grid.dz);
    const ExtendedComplex a{column.gaussExponent.real(), column.gaussExponent.imag()};
    const double x = (row - state.grid.nx * 0.5) * state.grid.dx;
    long double u = x - (p.slits - 1) * 0.5 * p.d;
    ExtendedComplex sum{0.0L, 0.0L};
    ExtendedComplex weighted{0.0L, 0.0L};
    for (int k = 0; k < p.slits; ++k) {
        const ExtendedComplex e = Exp(ExtendedComplex{a.real() * u * u, a.imag() * u * u});
        sum += e;
        weighted += ExtendedComplex{u * e.real(), u * e.imag()};
        u += p.d;
    }
    return Divide(a * weighted, sum).imag() * (static_cast<long double>(kHbar) / p.mass * -2.0L);
}

// The carpet's regular trajectories: O(1) exponentials per velocity, the
// starts traced on every core.
void BM_RegularTrajectories(benchmark::State& run)
{
    SimulationState state;
    Configure(state, run);
    const TrajectoryTracer tracer(state);
    const std::vector<double> starts = RegularStartRows(state, state.grid.dxb);
    for (auto _ : run) {
        std::atomic<long> positions{0};
        RunBlocksInOrder(
            static_cast<int>(starts.size()), ThreadCount(0),
            [&](int index, int) {
                long traced = 0;
                tracer.Trace(starts[static_cast<std::size_t>(index)], state.grid.step,
                             [&](const TracePosition&) { ++traced; });
                positions += traced;
            },
            [](int) { return true; });
        benchmark::DoNotOptimize(positions.load());
    }
    run.counters["trajectories"] = static_cast<double>(starts.size());
}

// Baseline: the same Euler steps one start after the other with the
// per-slit velocity.
void BM_RegularTrajectoriesBaseline(benchmark::State& run)
{
    SimulationState state;
    Configure(state, run);
    const std::vector<double> starts = RegularStartRows(state, state.grid.dxb);
    const double v = state.parameters.velocity;
    const double nx = state.grid.nx;
    for (auto _ : run) {
        long positions = 0;
        for (const double start : starts) {
            double row = start;
            for (double column = 0.0; std::nearbyint(column) < state.grid.nz && std::abs(row - nx / 2) < nx / 2 + 2;) {
                ++positions;
                const double w = static_cast<double>(PerSlitVelocity(state, column, row));
                const double length = std::hypot(w, v);
                column += v / length;
                row -= w / length;
            }
        }
        benchmark::DoNotOptimize(positions);
    }
    run.counters["trajectories"] = static_cast<double>(starts.size());
}

BENCHMARK(BM_RegularTrajectories)->Args({300, 2, 150})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RegularTrajectoriesBaseline)->Args({300, 2, 150})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RegularTrajectories)->Args({2000, 20, 1000})->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RegularTrajectoriesBaseline)->Args({2000, 20, 1000})->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace
}  // namespace nivaro
