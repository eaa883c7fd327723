#pragma once

#include <string>

#include "engine/SimulationState.h"

namespace nivaro {

class Chart;

enum class SurfaceKind { Density, QuantumPotential, Spectrum };

// The chart's axis labels and titles for what its surface shows: in
// nanometres (1/nm for the spectrum) with d and zt beside them, or in grid
// blocks. The window and the batch label their charts with it.
void LabelSurfaceAxes(Chart& chart, const SimulationState& state, SurfaceKind kind, bool nanometres);

// A number as printf's "%.4g" writes it, for titles.
std::string ShortNumber(double value);

}  // namespace nivaro
