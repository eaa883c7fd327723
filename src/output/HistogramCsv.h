#pragma once

#include <string>

#include "engine/TrajectoryEnsemble.h"

namespace nivaro {

// "x_m,ensemble,density", then one line a bin: the centre in metres, the
// count of the ensemble, |psi|^2 there as a probability density over the
// histogram's x range (1/m). Reals in the shortest form that reads back the
// same.
std::string HistogramCsv(const EnsembleHistogram& histogram);

// One line for people: the distance, where, and what happened to the
// trajectories not counted.
std::string HistogramSummary(const EnsembleHistogram& histogram);

// One line for people on the whole line: the share of the paths outside the
// grid beside |psi|^2's, and the distance with the outside as one more bin.
std::string EscapeSummary(const EnsembleHistogram& histogram);

}  // namespace nivaro
