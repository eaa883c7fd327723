#include "SurfaceData.h"

#include <algorithm>

#include "PathTracer.h"
#include "SettingsValidation.h"
#include "SpectrumTransform.h"
#include "TrajectoryStarts.h"

namespace nivaro {

SurfaceBlockCounts SurfaceBlocks(const GridSettings& grid)
{
    return {grid.nx / grid.decimationX, grid.nz / grid.decimationZ};
}

std::vector<SurfacePoint> SurfaceBlockMaxima(const SimulationState& state)
{
    const GridSettings& grid = state.grid;
    const RealMatrixT& density = state.densityField;
    const double cap = density.MaxElement() / state.scaleP.Factor();
    const int blocksX = grid.nx / grid.decimationX;
    const int blocksZ = grid.nz / grid.decimationZ;
    std::vector<SurfacePoint> points;
    points.reserve(static_cast<std::size_t>(blocksX) * static_cast<std::size_t>(blocksZ));
    for (int k = 0; k < blocksX; ++k) {
        for (int s = 0; s < blocksZ; ++s) {
            double largest = 0.0;
            for (int i = k * grid.decimationX; i < (k + 1) * grid.decimationX; ++i) {
                const double* row = density[i];
                for (int j = s * grid.decimationZ; j < (s + 1) * grid.decimationZ; ++j) {
                    largest = std::max(largest, row[j]);
                }
            }
            points.push_back({static_cast<double>(k - blocksX / 2), largest > cap ? cap : largest, static_cast<double>(s)});
        }
    }
    return points;
}

std::vector<SurfacePoint> SurfaceBlockCentres(const SimulationState& state, const RealMatrixT& values)
{
    const GridSettings& grid = state.grid;
    const int blocksX = grid.nx / grid.decimationX;
    const int blocksZ = grid.nz / grid.decimationZ;
    std::vector<SurfacePoint> points;
    points.reserve(static_cast<std::size_t>(blocksX) * static_cast<std::size_t>(blocksZ));
    for (int k = 0; k < blocksX; ++k) {
        const double* row = values[k * grid.decimationX + grid.decimationX / 2];
        for (int s = 0; s < blocksZ; ++s) {
            points.push_back({static_cast<double>(k - blocksX / 2), row[s * grid.decimationZ + grid.decimationZ / 2],
                              static_cast<double>(s)});
        }
    }
    return points;
}

SurfaceCellPosition SurfaceCellAt(const SimulationState& state, double row, double column)
{
    const GridSettings& grid = state.grid;
    const RealMatrixT& density = state.densityField;
    return {grid.decimationX * row * grid.dx / state.scaleX.Factor(),
            grid.decimationZ * column * grid.dz / state.scaleZ.Factor() + state.parameters.zOffset,
            std::clamp(static_cast<int>(grid.decimationX * row + grid.nx / 2), 0, density.Rows() - 1),
            std::clamp(static_cast<int>(grid.decimationZ * column), 0, density.Cols() - 1)};
}

std::vector<SurfacePoint> SpectrumSurfacePoints(const RealMatrixT& magnitudes, double pScale, SpectrumHeight height,
                                                double decades)
{
    const double strongest = magnitudes.MaxElement();
    const double cap = strongest / pScale;
    const auto shown = [&](double magnitude) {
        const double cut = std::min(magnitude, cap);
        if (height == SpectrumHeight::Linear) {
            return cut;
        }
        return cut > 0 && strongest > 0 ? std::max(-decades, std::log10(cut / strongest)) : -decades;
    };
    const int size = std::min(magnitudes.Rows(), magnitudes.Cols());
    const int blocks = size / 2;
    const auto shifted = [&](int row, int column) {
        return magnitudes[(row + size / 2) % size][(column + size / 2) % size];
    };
    std::vector<SurfacePoint> points;
    points.reserve(static_cast<std::size_t>(blocks) * static_cast<std::size_t>(blocks));
    for (int j = 0; j < blocks; ++j) {
        for (int k = 0; k < blocks; ++k) {
            const double largest = std::max({0.0, shifted(2 * j, 2 * k), shifted(2 * j, 2 * k + 1),
                                             shifted(2 * j + 1, 2 * k), shifted(2 * j + 1, 2 * k + 1)});
            points.push_back({static_cast<double>(j - blocks / 2), shown(largest), static_cast<double>(k - blocks / 2)});
        }
    }
    return points;
}

SurfaceAxes DensitySurfaceAxes(const SimulationState& state)
{
    const GridSettings& grid = state.grid;
    return {grid.decimationX * grid.dx / state.scaleX.Factor(), grid.decimationZ * grid.dz / state.scaleZ.Factor(),
            state.parameters.zOffset};
}

// A block is two bins of the 256-point transform, a bin 1 / (256 spacing).
SurfaceAxes SpectrumSurfaceAxes(const SimulationState& state)
{
    const GridSettings& grid = state.grid;
    const double bins = 2.0 / kSpectrumSize;
    return {bins * state.scaleX.Factor() / grid.dx, bins * state.scaleZ.Factor() / grid.dz, 0.0};
}

std::vector<std::vector<SurfacePoint>> SurfaceTrajectories(const SimulationState& state)
{
    const GridSettings& grid = state.grid;
    TraceMethod method = ConfiguredTraceMethod(grid);
    method.step = 1.0;
    const std::vector<double> starts = RegularStartRows(state, grid.decimationX * grid.dxb);
    std::vector<std::vector<SurfacePoint>> trajectories(starts.size());
    PathTracer(state, method).Trace(starts, [&](int path, const TracePosition& p) {
        if (p.inGrid && p.roundedColumn % grid.decimationZ == 0) {
            trajectories[static_cast<std::size_t>(path)].push_back(
                {(p.row - grid.nx / 2) / grid.decimationX, state.densityField[p.roundedRow][p.roundedColumn] * 1.001,
                 p.column / grid.decimationZ});
        }
    });
    return trajectories;
}

DensitySurface PrepareDensitySurface(const SimulationState& state, bool withTrajectories)
{
    DensitySurface surface{SurfaceBlockMaxima(state), std::nullopt};
    if (withTrajectories && HasCoherentBeam(state)) {
        surface.trajectories = SurfaceTrajectories(state);
    }
    return surface;
}

}  // namespace nivaro
