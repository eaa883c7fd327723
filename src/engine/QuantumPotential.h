#pragma once

#include <functional>

#include "engine/ProgressSink.h"
#include "engine/SimulationState.h"

namespace nivaro {

inline constexpr double kElectronVolt = 1.602176634e-19;  // J
// Q is left undefined where |psi| is below this share of its largest value.
inline constexpr double kQuantumPotentialFloor = 1e-12;

// Q = -(hbar^2 / 2m) (d^2 R / dx^2) / R with R = |psi|, from the analytic x
// derivatives of the slit sum S: R'' / R = Re(S'' / S) + Im(S' / S)^2, in
// eV (NaN where every term of S underflows). z is absolute, as for psi.
double QuantumPotentialAt(const SimulationParameters& parameters, double x, double z);

// Q on the nx by nz grid of the state's settings, in parallel over columns,
// into q (reshaped); NaN where R is below 1e-12 of its largest value on the
// grid. The slit sums run outward from the nearest slit by ratios (two
// exponentials a point); they agree with QuantumPotentialAt to 1e-9
// relative wherever Q has a value. Reports progress and honours a stop request (columns not reached
// are NaN). Throws UnusableSettingsError like the density.
void ComputeQuantumPotential(const SimulationState& state, RealMatrixT& q, ProgressSink& progress);

// For grids that do not fit in memory: the same Q, bit for bit, a block of
// columns at a time into buffers of nx rows, each block handed to write with
// its first column. The grid is passed twice (the floor needs the largest
// amplitude first), so it takes twice the time. A stop ends after the block
// under way, which is not written.
using QuantumPotentialWriter = std::function<void(int firstColumn, const GridView<const double>& q)>;
void StreamQuantumPotential(const SimulationState& state, ProgressSink& progress, int blockColumns,
                            const QuantumPotentialWriter& write);

// The 1st and 99th percentile of the values Q has (NaN left out), the range
// pictures of Q are clipped to; {0, 0} when Q has no value anywhere.
struct ValueRange {
    double low;
    double high;
};
ValueRange QuantumPotentialRange(const RealMatrixT& q);

}  // namespace nivaro
