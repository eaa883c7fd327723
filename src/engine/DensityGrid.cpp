#include "DensityGrid.h"

#include <algorithm>
#include <new>
#include <utility>
#include <vector>

#include "DensityKernel.h"
#include "OrderedBlocks.h"
#include "SettingsValidation.h"
#include "WaveFunction.h"

namespace nivaro {
namespace {

// Calls reshape(grid) for every grid of the state in creation order.
template <typename Reshape>
void ForEachGrid(SimulationState& state, Reshape&& reshape)
{
    reshape(state.psiField);
    reshape(state.densityField);
    reshape(state.carpetRed);
    reshape(state.carpetGreen);
    reshape(state.carpetBlue);
    reshape(state.trajectoryStartGrid);
}

// All or nothing: when an allocation fails part way, every grid returns to
// the shape it had (its contents are lost), so no two grids disagree and no
// later pass can index past one of them; failing that, all are emptied.
void ReshapeGrids(SimulationState& state)
{
    std::vector<std::pair<int, int>> shapes;
    ForEachGrid(state, [&](const auto& grid) { shapes.emplace_back(grid.Rows(), grid.Cols()); });
    try {
        ForEachGrid(state, [&](auto& grid) { grid.Resize(state.grid.nx, state.grid.nz); });
    } catch (const std::bad_alloc&) {
        ForEachGrid(state, [](auto& grid) { grid.Resize(0, 0); });
        try {
            std::size_t next = 0;
            ForEachGrid(state, [&](auto& grid) {
                grid.Resize(shapes[next].first, shapes[next].second);
                ++next;
            });
        } catch (const std::bad_alloc&) {
            ForEachGrid(state, [](auto& grid) { grid.Resize(0, 0); });
        }
        throw;
    }
}

DensityKernelInput PrepareKernel(const SimulationState& state)
{
    const SimulationParameters& parameters = state.parameters;
    DensityKernelInput input;
    input.nx = state.grid.nx;
    input.nz = state.grid.nz;
    input.firstRowX = RowPosition(state, 0);
    input.rowSpacing = state.grid.dx / state.scaleX.Factor();
    input.normalisation = DensityNormalisation(parameters);
    input.slitPeriod = parameters.d;
    for (int k = 0; k < parameters.slits; ++k) {
        input.slitOffsets.push_back(-(parameters.slits - 1) * 0.5 * parameters.d + k * parameters.d);
    }
    const int tiles = (input.nz + kDensityTileColumns - 1) / kDensityTileColumns;
    const std::size_t padded = static_cast<std::size_t>(tiles) * kDensityTileColumns;
    for (std::vector<double>* values : {&input.gaussRe, &input.gaussIm, &input.factorRe, &input.factorIm}) {
        values->resize(padded);
    }
    for (std::size_t column = 0; column < padded; ++column) {
        const int source = std::min(static_cast<int>(column), input.nz - 1);
        const ColumnCoefficients coefficients = ComputeColumnCoefficients(parameters, ColumnPosition(state, source));
        input.gaussRe[column] = coefficients.gaussExponent.real();
        input.gaussIm[column] = coefficients.gaussExponent.imag();
        input.factorRe[column] = coefficients.columnFactor.real();
        input.factorIm[column] = coefficients.columnFactor.imag();
    }
    return input;
}

}  // namespace

double RowPosition(const SimulationState& state, double row)
{
    return (row - state.grid.nx * 0.5) * state.grid.dx / state.scaleX.Factor();
}

double ColumnPosition(const SimulationState& state, double column)
{
    return column * state.grid.dz / state.scaleZ.Factor() + state.parameters.zOffset;
}

void ComputeDensityGrid(SimulationState& state, ProgressSink& progress)
{
    RequireUsableSettings(state);
    state.parameters.UpdateDerived();
    ReshapeGrids(state);

    const DensityKernelInput input = PrepareKernel(state);
    // Starting a thread costs about as much as a million slit terms, so small
    // grids stay on one thread unless a thread count was asked for.
    const long long terms = static_cast<long long>(state.grid.nx) * state.grid.nz * state.parameters.slits;
    const bool asked = state.threads > 0 || ThreadsFromEnvironment() > 0;
    const int threads = asked ? ThreadCount(state.threads)
                              : static_cast<int>(std::min<long long>(ThreadCount(0), 1 + terms / 1000000));
    std::vector<DensityKernelScratch> scratch(static_cast<std::size_t>(threads),
                                              DensityKernelScratch(state.parameters.slits));
    const int nz = input.nz;
    const int tiles = (nz + kDensityTileColumns - 1) / kDensityTileColumns;
    const ElapsedSeconds elapsed;
    RunBlocksInOrder(
        tiles, threads,
        [&](int tile, int worker) {
            const int firstColumn = tile * kDensityTileColumns;
            ComputeDensityTile(input, firstColumn, std::min(kDensityTileColumns, nz - firstColumn),
                               scratch[static_cast<std::size_t>(worker)], state.psiField, state.densityField);
        },
        [&](int finishedTiles) {
            const int lastColumn = std::min(finishedTiles * kDensityTileColumns, nz) - 1;
            progress.Advance({ProgressKind::DensityColumns, static_cast<int>(lastColumn * 100LL / nz), elapsed()});
            return !state.stopRequested.load();
        });
}

}  // namespace nivaro
