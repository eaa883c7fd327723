#pragma once

#include <optional>
#include <string>

#include "engine/SimulationState.h"

namespace nivaro {

// How far a run lies from the paraxial regime, where the slit model and the
// wave model's paraxial propagator agree with exact propagation.
struct ParaxialCheck {
    double angle = 0.0;        // lambda / d
    double spreadAngle = 0.0;  // lambda / (4 pi sigma0)
    // The phase, beyond the paraxial one, that exact propagation gives the
    // field's main plane waves (kx = 1 / w for its smallest feature w, two
    // rms widths of a Gaussian opening's spectrum) at the window's far end:
    // kx^4 z / (8 k^3), rad.
    double phaseError = 0.0;
    // The share of |psi|^2 at the grating in plane waves with |kx| >= k,
    // which cannot propagate at all.
    double evanescentWeight = 0.0;

    // Where the densities of the two differ by about a per cent or more.
    bool Holds() const { return phaseError < 0.01 && evanescentWeight < 1e-4; }
};

ParaxialCheck CheckParaxial(const SimulationState& state);

// A sentence for the status line and standard error when the model in use
// is paraxial and the run lies outside the regime; nothing otherwise.
std::optional<std::string> ParaxialWarning(const SimulationState& state);

// What the run's model adds beyond the slit sum, for the estimate shown
// before a run: the wave model's fine grid (points and spacing) and, with
// the exact propagator, the share of the field dropped as evanescent; a
// partially coherent beam's quadrature. Nothing for the coherent slit model.
std::optional<std::string> ModelSummary(const SimulationState& state);

}  // namespace nivaro
