#pragma once

#include "engine/ProgressSink.h"
#include "engine/SimulationState.h"

namespace nivaro {

// Whether a density computation keeps psi on the whole grid: only the psi
// array, the run file and the module's psi need it; the spectrum takes its
// own small block.
enum class PsiKept { None, Whole };

// Evaluates norm(PSI) on the nx by nz grid into densityField, and psi into
// psiField when it is kept (else psiField is emptied), a tile of columns at
// a time. Refreshes zoff, p and v first; a grid of an unchanged shape is
// reused as it is, another is freed before its new block is taken. Reports
// progress once per changed percentage and polls the stop flag once per
// tile; columns left by a stop hold whatever the block held.
// Every row holds psi at its own x; the mirror symmetry psi(-x) = psi(x) is
// used only where it is exact, row nx - i taking the values of row i.
// Throws UnusableSettingsError before touching anything when the settings
// cannot be computed, and std::bad_alloc when the grids cannot be allocated.
void ComputeDensityGrid(SimulationState& state, ProgressSink& progress, PsiKept psi = PsiKept::None);

// psi on the top-left rows by columns block of the grid (cut to nx by nz),
// bit for bit the values the whole grid holds there, into psi.
void ComputePsiBlock(const SimulationState& state, int rows, int columns, ComplexGrid& psi);

// x of grid row i and z of grid column j, in metres.
double RowPosition(const SimulationState& state, double row);
double ColumnPosition(const SimulationState& state, double column);

}  // namespace nivaro
