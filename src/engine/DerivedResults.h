#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "engine/QuantumPotential.h"
#include "engine/TrajectoryEnsemble.h"
#include "numeric/Matrices.h"

namespace nivaro {

// How the carpet's sampled ensemble is asked for and shown.
struct EnsembleChoices {
    bool sampled = false;
    EnsembleSettings settings;
    bool alone = false;  // the paths without the carpet under them
    int bins = kDefaultHistogramBins;
    std::optional<int> histogramColumn;  // the last column when not given
};

// What a front end shows of a computation beyond the grids of its state,
// each computed when it is first asked for and dropped with a new density:
// Q on the grid with its clip range, the sampled ensemble with how many of
// its paths cross each cell and the choices it was traced and is shown
// with, and the 2D spectrum while it is shown.
struct DerivedResults {
    struct SampledPaths {
        Ensemble paths;
        std::vector<std::uint32_t> coverage;
    };

    RealMatrixT quantumPotential{0, 0};         // empty until computed
    std::optional<ValueRange> quantumPotentialRange;  // set once Q is complete
    RealMatrixT spectrum{0, 0};                 // magnitudes of the 2D transform of psi
    std::optional<SampledPaths> ensemble;
    EnsembleChoices ensembleChoices;

    void Swap(DerivedResults& other) noexcept
    {
        quantumPotential.Swap(other.quantumPotential);
        std::swap(quantumPotentialRange, other.quantumPotentialRange);
        spectrum.Swap(other.spectrum);
        std::swap(ensemble, other.ensemble);
        std::swap(ensembleChoices, other.ensembleChoices);
    }

    // Q with its range from results computed for the same density, when
    // they hold it.
    void TakeQuantumPotential(DerivedResults& computed) noexcept
    {
        if (computed.HasQuantumPotential()) {
            quantumPotential.Swap(computed.quantumPotential);
            std::swap(quantumPotentialRange, computed.quantumPotentialRange);
        }
    }
    // What a carpet computation over the same density adds: the ensemble
    // with its choices, and Q when it computed it.
    void TakeCarpetPart(DerivedResults& computed) noexcept
    {
        std::swap(ensemble, computed.ensemble);
        std::swap(ensembleChoices, computed.ensembleChoices);
        TakeQuantumPotential(computed);
    }

    bool HasQuantumPotential() const { return quantumPotentialRange.has_value(); }
    // Q of a computation that completed, with its clip range.
    void SetQuantumPotential(RealMatrixT& q)
    {
        quantumPotentialRange = QuantumPotentialRange(q);
        quantumPotential.Swap(q);
    }
};

}  // namespace nivaro
