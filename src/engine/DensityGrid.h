#pragma once

#include "engine/ProgressSink.h"
#include "engine/SimulationState.h"

namespace nivaro {

// Evaluates psi on the nx by nz grid into psiField and norm(PSI) into
// densityField, column by column. Refreshes zoff, p and v first and
// reshapes all six grids to nx by nz (nothing is cleared when the shape is
// unchanged). Reports progress once per changed percentage and polls the stop
// flag once per column; columns left by a stop keep their old contents.
// Every row holds psi at its own x; the mirror symmetry psi(-x) = psi(x) is
// used only where it is exact, row nx - i taking the values of row i.
// Throws UnusableSettingsError before touching anything when the settings
// cannot be computed, and std::bad_alloc when the grids cannot be allocated.
void ComputeDensityGrid(SimulationState& state, ProgressSink& progress);

// x of grid row i and z of grid column j, in metres.
double RowPosition(const SimulationState& state, double row);
double ColumnPosition(const SimulationState& state, double column);

}  // namespace nivaro
