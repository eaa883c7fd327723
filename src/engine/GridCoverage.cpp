#include "GridCoverage.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "DensityGrid.h"

namespace nivaro {
namespace {

// Whether a start row j dxb below nxb lies strictly between the rows low and
// high; solved for j rather than stepped through, since a slit metres away
// lies some 1e10 rows off.
bool StartBetween(const GridSettings& grid, double low, double high)
{
    const double first = low < 0.0 ? 0.0 : (std::floor(low / grid.dxb) + 1.0) * grid.dxb;
    return first < high && first < grid.nxb;
}

}  // namespace

GridCoverage CheckGridCoverage(const SimulationState& state)
{
    const SimulationParameters& p = state.parameters;
    const GridSettings& grid = state.grid;
    const double rowSpacing = grid.dx / state.scaleX.Factor();
    const double top = RowPosition(state, 0);
    const double bottom = RowPosition(state, grid.nx - 1);
    // The start rule measures x from the integer half of nx.
    const double middleRow = grid.nx / 2;
    GridCoverage coverage;
    for (int slit = 0; slit < p.slits && !(coverage.slitInGrid && coverage.startInSlit); ++slit) {
        const double centre = ((p.slits - 1) * 0.5 - slit) * p.d;
        const double half = p.slitWidth * 0.5;
        coverage.slitInGrid = coverage.slitInGrid || (centre + half >= top && centre - half <= bottom);
        coverage.startInSlit = coverage.startInSlit || StartBetween(grid, (centre - half) / rowSpacing + middleRow,
                                                                    (centre + half) / rowSpacing + middleRow);
    }
    return coverage;
}

std::optional<std::string> GridCoverageWarning(const SimulationState& state, bool regularPathsDrawn)
{
    const GridCoverage coverage = CheckGridCoverage(state);
    char text[240];
    if (!coverage.slitInGrid) {
        std::snprintf(text, sizeof text,
                      "every slit lies outside the grid (x from %.1f to %.1f nm): check d and the slit width",
                      RowPosition(state, 0) * 1e9, RowPosition(state, state.grid.nx - 1) * 1e9);
        return text;
    }
    if (!coverage.startInSlit && regularPathsDrawn) {
        std::snprintf(text, sizeof text,
                      "no trajectory starts inside a slit (starts every %g rows below nxb = %d of nx = %d): "
                      "check nxb and dxb",
                      state.grid.dxb, state.grid.nxb, state.grid.nx);
        return text;
    }
    return std::nullopt;
}

}  // namespace nivaro
