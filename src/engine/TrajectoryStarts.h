#pragma once

#include <vector>

#include "engine/SimulationState.h"

namespace nivaro {

// Whether a start row lies inside a geometric slit opening. The row's x uses
// the integer half of nx; slits are tried from l = 0 and the first fit wins.
bool PassesSlitTest(const SimulationState& state, double startRow);

// Start rows 0, spacing, 2 spacing, ... below nxb that pass the slit test.
// The carpet uses spacing dxb, the 3D view decimationX * dxb. The spacing
// must be positive (the settings check refuses anything else).
std::vector<double> RegularStartRows(const SimulationState& state, double spacing);

// The start row of a data-file position given in units of d:
// d / dx * position * Xs + nx / 2.
double StartRowOfPosition(const SimulationState& state, double positionInD);

// The inverse for a whole start row, as the data file records it:
// (row - nx / 2) * dx / Xs / d.
double PositionOfStartRow(const SimulationState& state, int startRow);

}  // namespace nivaro
