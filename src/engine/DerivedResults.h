#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "engine/TrajectoryEnsemble.h"
#include "numeric/Matrices.h"

namespace nivaro {

// What a front end shows of a computation beyond the grids of its state,
// each computed when it is first asked for and dropped with a new density:
// Q on the grid, the sampled ensemble with how many of its paths cross each
// cell, and the 2D spectrum while it is shown.
struct DerivedResults {
    struct SampledPaths {
        Ensemble paths;
        std::vector<std::uint32_t> coverage;
    };

    RealMatrixT quantumPotential{0, 0};  // empty until computed
    RealMatrixT spectrum{0, 0};          // magnitudes of the 2D transform of psi
    std::optional<SampledPaths> ensemble;

    void Clear()
    {
        quantumPotential.Reshape(0, 0);
        spectrum.Reshape(0, 0);
        ensemble.reset();
    }
};

}  // namespace nivaro
