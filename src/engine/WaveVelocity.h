#pragma once

#include <atomic>
#include <cstddef>

#include "engine/SimulationState.h"
#include "numeric/Matrices.h"

namespace nivaro {

// Rows beyond the window on either side that the wave model's velocity
// table covers: a path is traced until its rounded row leaves -1 .. nx + 1,
// and the integrator's trial points reach a little further.
inline constexpr int kVelocityTableMarginRows = 3;

// Bytes of the table a WaveVelocityTable of the state's grid allocates.
double WaveVelocityTableBytes(const SimulationState& state);

// W (the negative transverse velocity in m/s, -(hbar / m) Im(psi' / psi),
// as ComputeBohmVelocities gives it) of the wave model anywhere in the
// window. The envelope psi e^(-i k z) and its x derivative are interpolated
// (not the velocity, which is singular where psi vanishes) from a table of
// their values and their x and z derivatives at every column and every
// point of the fine grid over the window's rows: cubic Hermite in x, then
// in z.
class WaveVelocityTable {
public:
    // Fills the table in parallel on the state's threads; the columns a stop
    // (of stopFlag, the state's own by default) leaves unreached give NaN. Throws UnusableSettingsError when
    // the table and the density grid together would exceed the state's grid
    // memory limit.
    WaveVelocityTable(const SimulationState& state, const std::atomic<bool>& stopFlag);
    explicit WaveVelocityTable(const SimulationState& state) : WaveVelocityTable(state, state.stopRequested) {}

    // Like ComputeBohmVelocities; NaN beyond columns 0 .. nz and beyond
    // kVelocityTableMarginRows rows outside the window.
    void Compute(const double* columns, const double* rows, std::size_t count, double* velocities) const;

private:
    double VelocityAt(double column, double row) const;

    std::size_t points_;     // fine points of a column
    int columns_;            // nz + 1, so that every column up to nz lies between two
    double pointsPerRow_;    // the fine grid's row stride
    double pointSpacing_;    // m
    double columnSpacing_;   // m
    double velocityFactor_;  // -hbar / m
    // Each node's values (complex) in the order of kNodeValues, point after
    // point, column after column.
    GridBlock nodes_;
};

}  // namespace nivaro
