#include <benchmark/benchmark.h>

#include <complex>

#include "engine/BohmTrajectory.h"
#include "engine/PhysicalConstants.h"
#include "engine/TrajectoryStarts.h"

namespace nivaro {
namespace {

// Baseline velocity: the textbook d psi / dx / psi with the library's complex
// type, recomputing everything per call.
double NaiveVelocity(const SimulationState& state, double zAbs, double row)
{
    using C = std::complex<long double>;
    const SimulationParameters& p = state.parameters;
    const long double z = zAbs * state.grid.dz;
    const long double x = (row - state.grid.nx * 0.5) * state.grid.dx;
    const C sigma(p.sigma0, p.lambda * z / (4 * kPi * p.sigma0));
    const C a = -0.25L / (static_cast<long double>(p.sigma0) * sigma);
    C sum = 0;
    C derivative = 0;
    for (int k = 0; k < p.slits; ++k) {
        const long double u = x - ((p.slits - 1) * 0.5L - k) * p.d;
        const C e = std::exp(a * u * u);
        sum += e;
        derivative += 2.0L * a * u * e;
    }
    return static_cast<double>(-(derivative / sum).imag() * kHbar / p.mass);
}

void BM_RegularTrajectories(benchmark::State& run)
{
    SimulationState state;
    state.grid.step = 1.0;
    state.parameters.UpdateDerived();
    const TrajectoryTracer tracer(state);
    const std::vector<double> starts = RegularStartRows(state, state.grid.dxb);
    for (auto _ : run) {
        long positions = 0;
        for (const double start : starts) {
            tracer.Trace(start, state.grid.step, [&](const TracePosition&) { ++positions; });
        }
        benchmark::DoNotOptimize(positions);
    }
    run.counters["trajectories"] = static_cast<double>(starts.size());
}

// Baseline: the same Euler steps with the naive velocity.
void BM_RegularTrajectoriesBaseline(benchmark::State& run)
{
    SimulationState state;
    state.parameters.UpdateDerived();
    const std::vector<double> starts = RegularStartRows(state, state.grid.dxb);
    const double v = state.parameters.velocity;
    for (auto _ : run) {
        long positions = 0;
        for (const double start : starts) {
            double row = start;
            for (double column = 0.0; std::nearbyint(column) < state.grid.nz && std::abs(row - 150) < 152;) {
                ++positions;
                const double w = -NaiveVelocity(state, column, row);
                const double length = std::hypot(w, v);
                column += v / length;
                row -= w / length;
            }
        }
        benchmark::DoNotOptimize(positions);
    }
}

BENCHMARK(BM_RegularTrajectories)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RegularTrajectoriesBaseline)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace nivaro
