#pragma once

#include <atomic>
#include <climits>
#include <cmath>
#include <stdexcept>
#include <utility>

#include "engine/SimulationState.h"
#include "engine/PathTracer.h"
#include "engine/WaveFunction.h"

namespace nivaro {

// The tracer the vector one is held to: one path at a time, the velocity's
// sums and quotient in extended precision, every phase reduced to about
// [-pi, pi] first.
//
// The velocity field of psi across the grating. Works on a snapshot of the
// parameters, grid settings and scales taken at construction.
class BohmVelocityField {
public:
    explicit BohmVelocityField(const SimulationState& state);

    // W, the negative transverse velocity in m/s, at the absolute column Zabs
    // (counted from z = 0, not from the window's entrance) and the fractional
    // row X. Sums and quotient are formed in extended precision.
    long double BohmVelocity(double zAbs, double row) const;

private:
    SimulationParameters parameters_;
    int nx_;
    double dx_;
    double dz_;
    double scaleX_;
    double scaleZ_;
    long double velocityFactor_;  // (hbar / m) * (-2)
};

// Fixed arc-length explicit Euler integration along the Bohmian velocity
// field, in grid pixels, from (X0, 0). A trace ends when its rounded row
// leaves -1 .. nx + 1, its rounded column reaches nz, it stops advancing
// along z, or (when a stop flag is given) a stop is requested.
class ExtendedPrecisionTracer {
public:
    // Throws std::invalid_argument when the scales or the particle velocity
    // are not positive and finite: such a trace could never end.
    explicit ExtendedPrecisionTracer(const SimulationState& state);

    const BohmVelocityField& Field() const { return field_; }

    // Calls visit(const TracePosition&) at every position that passes the
    // stop rules, inside the grid or in the tolerated rows -1, nx, nx + 1.
    // Throws std::invalid_argument when stepLength is not positive and finite.
    template <typename Visitor>
    void Trace(double startRow, double stepLength, Visitor&& visit, const std::atomic<bool>* stopFlag = nullptr) const;

private:
    BohmVelocityField field_;
    int nx_;
    int nz_;
    double columnOffset_;  // zoff * Zs / dz, the absolute column of Z = 0
    double velocity_;
    double scaleX_;
    double scaleZ_;
};

template <typename Visitor>
void ExtendedPrecisionTracer::Trace(double startRow, double stepLength, Visitor&& visit, const std::atomic<bool>* stopFlag) const
{
    if (!IsTraceableStep(stepLength)) {
        throw std::invalid_argument("the trajectory step must be a positive finite number of pixels");
    }
    double row = startRow;
    double column = 0.0;
    for (int step = 0;; ++step) {
        const int roundedRow = RoundToGridIndex(row);
        const int roundedColumn = RoundToGridIndex(column);
        if (roundedRow < -1 || roundedRow > nx_ + 1 || roundedColumn >= nz_) {
            return;
        }
        visit(TracePosition{step, row, column, roundedRow, roundedColumn, roundedRow >= 0 && roundedRow < nx_});
        const double w = static_cast<double>(field_.BohmVelocity(columnOffset_ + column, row));
        const double length = std::hypot(w * scaleX_, velocity_ * scaleZ_);
        const double nextColumn = column + stepLength * velocity_ * scaleZ_ / length;
        row = row - stepLength * w * scaleX_ / length;
        if (!(nextColumn > column)) {
            return;  // a step too small to advance would never reach nz
        }
        column = nextColumn;
        if (stopFlag != nullptr && stopFlag->load()) {
            return;
        }
    }
}

}  // namespace nivaro
