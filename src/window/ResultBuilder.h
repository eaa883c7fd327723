#pragma once

#include <functional>

#include "engine/CarpetPass.h"
#include "engine/DerivedResults.h"
#include "engine/SimulationState.h"
#include "engine/SurfaceData.h"

namespace nivaro {

class ComputationRunner;
class ProgressSink;

// What the 2D page asks of a computation.
struct CarpetRequest {
    CarpetOptions options;  // its trajectories off where the sampled paths replace them
    EnsembleChoices ensemble;
    bool quantumPotential = false;  // Q is computed for the carpet
    Integrator integrator = Integrator::Euler;  // of the regular paths
};

// Builds new results off the window's thread, each step into a document and
// results of its own (never those shown, which the window reads meanwhile)
// that the window takes only when every step it asked for is complete. Each step returns false when it was stopped (by Cancel,
// Esc or closing the window); what it built is then to be dropped.
class ResultBuilder {
public:
    ResultBuilder(ComputationRunner& runner, ProgressSink& progress);

    // The density of next, and the surface the 3D page shows of it.
    bool Density(SimulationState& next, bool surfaceTrajectories, DensitySurface& surface);
    // The carpet of source's density drawn into the planes of `planes`, with
    // the sampled ensemble and Q of source into derived as the request asks;
    // source and planes may be one document.
    bool Carpet(const SimulationState& source, SimulationState& planes, const CarpetRequest& request,
                DerivedResults& derived);
    // Q of source with its clip range.
    bool QuantumPotential(const SimulationState& source, DerivedResults& derived, SimulationState* document = nullptr);
    // The spectrum of source's psi, uncapped (a partially coherent beam's
    // takes one run a sample).
    bool Spectrum(const SimulationState& source, RealMatrixT& magnitudes);

private:
    bool Run(const std::function<void(ProgressSink&)>& work, SimulationState* document);

    ComputationRunner& runner_;
    ProgressSink& progress_;
};

}  // namespace nivaro
