#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>
#include <stdexcept>
#include <string>

#include "engine/ProgressSink.h"
#include "engine/SimulationState.h"

namespace nivaro {

struct CarpetOptions {
    int contrast = 1;              // square roots taken of the density (0 .. 5 in the window)
    bool showTrajectories = true;
    // The data file of trajectory starts, when its use is asked for; a file
    // that cannot be opened falls back to the regular starts.
    std::optional<std::string> dataFile;
};

// Thrown when the density grid is not nx by nz (no density computed with
// these settings): the carpet needs a fresh density computation.
class StaleDensityError : public std::runtime_error {
public:
    StaleDensityError();
};

// Turns the density left by the last density computation into the carpet
// planes: a working copy gets the contrast, the P-scale and the grey levels;
// then, when asked, Bohmian trajectories are drawn over it, from the data
// file in the colours of its letters or from the regular starts in magenta,
// and each crossed pixel records its trajectory's start row in
// trajectoryStartGrid (cleared first; emptied when no trajectory is drawn).
// The planes are reshaped to nx by nz. Uses p, v and zoff as the density
// computation left them. Progress and the stop flag follow the trajectories:
// per changed percentage and after each regular trajectory, or per step for
// data-file starts.
void RenderCarpet(SimulationState& state, const CarpetOptions& options, ProgressSink& progress);

// The same over a density held elsewhere (the one a window shows while the
// carpet is drawn in a document of its own); state's own density is not read.
void RenderCarpet(SimulationState& state, const RealMatrixT& density, const CarpetOptions& options,
                  ProgressSink& progress);

struct RecolouredPath {
    int startRow;
    std::uint32_t colour;  // 0x00BBGGRR
};

// The grid cells each path crosses, (row, column) in order.
using PathCellList = std::vector<std::vector<std::pair<int, int>>>;

// Traces the trajectories from the start rows again with the carpet's
// method, one after the other with one tracer (the wave model's velocity
// table is filled once), polling the stop flag; reads the state alone, so
// that it can run beside a window that shows it.
PathCellList TracePathCells(const SimulationState& state, std::span<const RecolouredPath> paths);

// Paints every cell of each path in its path's colour. trajectoryStartGrid
// is not touched.
void PaintPathCells(SimulationState& state, std::span<const RecolouredPath> paths, const PathCellList& cells);

// Both, one after the other.
void RepaintTrajectories(SimulationState& state, std::span<const RecolouredPath> paths);

}  // namespace nivaro
