#pragma once

#include <optional>
#include <string>

#include "engine/SimulationState.h"

namespace nivaro {

// Whether the grid sees the grating and its trajectories at all. A period
// typed without its exponent (d = 101) puts every slit metres away from a
// grid nanometres wide, and nxb left at a small grid's value after nx grew
// puts every start in the dark: both give an empty picture without an
// error, so the front ends say why.
struct GridCoverage {
    // Some slit opening overlaps the x range of the grid's rows.
    bool slitInGrid = false;
    // Some regular trajectory start (rows 0, dxb, 2 dxb, ... below nxb) lies
    // inside a slit opening, by the start rule of RegularStartRows.
    bool startInSlit = false;
};

// Settings that FindUnusableSettings accepts; nothing is computed.
GridCoverage CheckGridCoverage(const SimulationState& state);

// What the front ends say when the grid misses every slit, or (when regular
// trajectories are drawn) every start misses the slits; nothing otherwise.
std::optional<std::string> GridCoverageWarning(const SimulationState& state, bool regularPathsDrawn);

}  // namespace nivaro
