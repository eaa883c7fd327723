#include <benchmark/benchmark.h>

#include <cmath>

#include "carpet/CarpetPixels.h"
#include "engine/CarpetPass.h"
#include "engine/DensityGrid.h"
#include "engine/PathTracer.h"
#include "engine/TrajectoryStarts.h"

namespace nivaro {
namespace {

void Prepare(SimulationState& state, int size)
{
    state.grid.nx = size;
    state.grid.nz = size;
    state.grid.nxb = size / 2;
    state.grid.step = 1.0;
    SilentProgress progress;
    ComputeDensityGrid(state, progress);
}

// The engine's carpet pass with its regular trajectories.
void BM_CarpetPass(benchmark::State& run)
{
    SimulationState state;
    Prepare(state, static_cast<int>(run.range(0)));
    SilentProgress progress;
    for (auto _ : run) {
        RenderCarpet(state, {}, progress);
        benchmark::DoNotOptimize(state.carpetGreen[0][0]);
    }
}

// Baseline: the same picture written out plainly, a fresh copy of the
// density per pixel rule and every trajectory traced by the same tracer.
void BM_CarpetPassBaseline(benchmark::State& run)
{
    SimulationState state;
    Prepare(state, static_cast<int>(run.range(0)));
    const int nx = state.grid.nx;
    const int nz = state.grid.nz;
    for (auto _ : run) {
        const double maximum = std::sqrt(state.densityField.MaxElement());
        for (int i = 0; i < nx; ++i) {
            for (int j = 0; j < nz; ++j) {
                const double h = std::floor(std::sqrt(state.densityField[i][j]) * 255 / maximum);
                const auto level = static_cast<std::uint8_t>(h < 255 ? 255 - h : 0);
                state.carpetRed[i][j] = state.carpetGreen[i][j] = state.carpetBlue[i][j] = level;
            }
        }
        const PathTracer tracer(state, {Integrator::Euler, 1.0});
        for (const double start : RegularStartRows(state, state.grid.dxb)) {
            TraceOnePath(tracer, start, OnGridCells(nx, [&](int r, int c) { state.carpetGreen[r][c] = 0; }));
        }
        benchmark::DoNotOptimize(state.carpetGreen[0][0]);
    }
}

BENCHMARK(BM_CarpetPass)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CarpetPassBaseline)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CarpetPass)->Arg(2000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_CarpetPassBaseline)->Arg(2000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace nivaro
