#pragma once

#include <cstddef>

#include "engine/SimulationState.h"

namespace nivaro {

// Everything the vector velocity needs about the grating and the grid.
struct VelocityKernelInput {
    int slits = 1;
    double d = 0.0;
    double sigma0 = 0.0;
    double widthGrowth = 0.0;       // t(z) / z = lambda / (4 pi sigma0)
    double zPerColumn = 0.0;        // dz / Zs
    double columnOffset = 0.0;      // the absolute column of the window's entrance
    double xPerRow = 0.0;           // dx / Xs
    double centreRow = 0.0;         // nx / 2, the row of x = 0
    double velocityFactor = 0.0;    // -2 hbar / m

    explicit VelocityKernelInput(const SimulationState& state);
};

// W, the negative transverse velocity in m/s, of count points (columns
// counted from the window's entrance, fractional rows), several at a time
// in double precision. Each point's value depends on that point alone, not
// on its neighbours in the arrays or on their number.
void ComputeBohmVelocities(const VelocityKernelInput& input, const double* columns, const double* rows,
                           std::size_t count, double* velocities);

}  // namespace nivaro
