#include <benchmark/benchmark.h>

#include "engine/DensityGrid.h"
#include "engine/WaveFunction.h"

namespace nivaro {
namespace {

void Configure(SimulationState& state, int size, int slits)
{
    state.grid.nx = size;
    state.grid.nz = size;
    state.parameters.slits = slits;
}

// The engine's density computation (per-column coefficients, mirrored rows).
void BM_DensityGrid(benchmark::State& run)
{
    SimulationState state;
    Configure(state, static_cast<int>(run.range(0)), static_cast<int>(run.range(1)));
    SilentProgress progress;
    for (auto _ : run) {
        ComputeDensityGrid(state, progress);
        benchmark::DoNotOptimize(state.densityField[0][0]);
    }
    run.SetItemsProcessed(run.iterations() * run.range(0) * run.range(0));
}

// Baseline: psi evaluated point by point, every row directly.
void BM_DensityGridBaseline(benchmark::State& run)
{
    SimulationState state;
    Configure(state, static_cast<int>(run.range(0)), static_cast<int>(run.range(1)));
    state.parameters.UpdateDerived();
    RealMatrixT density(state.grid.nx, state.grid.nz);
    for (auto _ : run) {
        for (int j = 0; j < state.grid.nz; ++j) {
            for (int i = 0; i < state.grid.nx; ++i) {
                density[i][j] = std::norm(EvaluatePsi(state.parameters, RowPosition(state, i), ColumnPosition(state, j)));
            }
        }
        density.Scale(DensityNormalisation(state.parameters));
        benchmark::DoNotOptimize(density[0][0]);
    }
    run.SetItemsProcessed(run.iterations() * run.range(0) * run.range(0));
}

BENCHMARK(BM_DensityGrid)->Args({300, 2})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DensityGridBaseline)->Args({300, 2})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DensityGrid)->Args({2000, 20})->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_DensityGridBaseline)->Args({2000, 20})->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace nivaro
