#pragma once

#include <optional>
#include <vector>

#include "engine/SimulationState.h"

namespace nivaro {

// A point of the 3D view in surface block units: X across (centred on the
// grating axis), Y the density, Z along.
struct SurfacePoint {
    double x;
    double y;
    double z;
};

// The blocks of the surface along x and along z: the size of the grid the
// chart indexes (the grid's own nx by nz would make it index millions of
// slots that no point fills).
struct SurfaceBlockCounts {
    int x;
    int z;
};
SurfaceBlockCounts SurfaceBlocks(const GridSettings& grid);

// The density surface: for every block of decimationX rows by decimationZ
// columns, X = k - KX / 2 and Z = s with the block's largest density (at
// least 0), cut at the largest density over the P-scale. X varies slowest.
std::vector<SurfacePoint> SurfaceBlockMaxima(const SimulationState& state);

// Values of the grid's shape (such as the quantum potential) at the middle
// point of each block, X and Z as for the density surface; NaN stays NaN.
std::vector<SurfacePoint> SurfaceBlockCentres(const SimulationState& state, const RealMatrixT& values);

// What the hover over a surface cell reads: the cell's smallest X block
// (row) and largest Z block (column) as x and z in metres, and the grid
// point inside the block whose density it shows (within the grid).
struct SurfaceCellPosition {
    double x;
    double z;
    int gridRow;
    int gridColumn;
};
SurfaceCellPosition SurfaceCellAt(const SimulationState& state, double row, double column);

// The spectrum surface from 256 by 256 magnitudes, with zero frequency in
// the middle: 128 by 128 points, X = j - 64 and Z = k - 64 with the largest
// of 0 and the 2 by 2 block of magnitudes at (2j, 2k) after moving row and
// column 128 to 0, cut at the largest magnitude over the P-scale. On the
// logarithmic height, Y is log10 of that over the largest magnitude, from
// -decades up: the weak orders show beside the central spike.
enum class SpectrumHeight { Linear, Logarithmic };
std::vector<SurfacePoint> SpectrumSurfacePoints(const RealMatrixT& magnitudes, double pScale,
                                                SpectrumHeight height = SpectrumHeight::Linear, double decades = 6.0);

// What one surface block means along x and z, for axis labels and readouts:
// metres (or 1/m for the spectrum) per block, and z at block 0.
struct SurfaceAxes {
    double xPerBlock;
    double zPerBlock;
    double zAtZero;
};
SurfaceAxes DensitySurfaceAxes(const SimulationState& state);
SurfaceAxes SpectrumSurfaceAxes(const SimulationState& state);

// The Bohmian trajectories over the surface: starts every decimationX * dxb
// rows below nxb that pass the slit test, traced with one-pixel steps; a point
// at each visited cell inside the grid whose column is a multiple of
// decimationZ, 0.1 % above the density there. Needs the density grid of the
// last computation.
std::vector<std::vector<SurfacePoint>> SurfaceTrajectories(const SimulationState& state);

// What the 3D page shows of a density: its surface, and the trajectories
// over it when they are asked for (and the slit model gives them). Prepared with the computation, so that
// the window only hands it to the chart.
struct DensitySurface {
    std::vector<SurfacePoint> blocks;
    std::optional<std::vector<std::vector<SurfacePoint>>> trajectories;
};
DensitySurface PrepareDensitySurface(const SimulationState& state, bool withTrajectories);

}  // namespace nivaro
