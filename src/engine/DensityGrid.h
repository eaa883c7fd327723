#pragma once

#include <functional>
#include <vector>

#include "engine/ProgressSink.h"
#include "engine/SimulationState.h"
#include "engine/WaveFunction.h"

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

// For grids that do not fit in memory: norm(PSI), and psi when it is kept,
// computed a block of columns at a time (a whole number of the kernel's
// tiles, so that every value is bit for bit the one of a whole grid) into
// buffers of nx rows, each block handed to write with its first column. The
// state's own grids are not touched. A stop ends after the tile that saw it;
// the block it cut short is not written.
using ColumnBlockWriter =
    std::function<void(int firstColumn, const GridView<const double>& density, const GridView<const Complex>& psi)>;
void StreamDensityGrid(SimulationState& state, ProgressSink& progress, PsiKept psi, int blockColumns,
                       const ColumnBlockWriter& write);

// The columns of a block whose buffers take about blockBytes at
// bytesPerPoint, in whole tiles (at least one).
int StreamBlockColumns(int nx, double bytesPerPoint, double blockBytes);

// psi on the top-left rows by columns block of the grid (cut to nx by nz),
// bit for bit the values the whole grid holds there, into psi; no density
// is kept. Uses p, v and zoff as they are. With a sink, progress and the
// stop flag are told per tile as for the density.
void ComputePsiBlock(const SimulationState& state, int rows, int columns, ComplexGrid& psi,
                     ProgressSink* progress = nullptr);

// x of grid row i and z of grid column j, in metres.
double RowPosition(const SimulationState& state, double row);
double ColumnPosition(const SimulationState& state, double column);
// x of every row and z of every column: the files' and the module's coordinates.
std::vector<double> RowPositions(const SimulationState& state);
std::vector<double> ColumnPositions(const SimulationState& state);

}  // namespace nivaro
