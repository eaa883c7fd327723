#include "ParaxialValidity.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "PartialCoherence.h"
#include "PhysicalConstants.h"
#include "RunDocument.h"
#include "WaveModel.h"

namespace nivaro {

ParaxialCheck CheckParaxial(const SimulationState& state)
{
    const SimulationParameters& parameters = state.parameters;
    ParaxialCheck check;
    check.angle = parameters.lambda / parameters.d;
    check.spreadAngle = parameters.lambda / (kFourPi * parameters.sigma0);
    const double k = 2 * kPi / parameters.lambda;
    const double feature = SmallestFeature(parameters);
    const double kx = 1.0 / feature;
    SimulationParameters derived = parameters;  // zoff as the computation will set it
    derived.UpdateDerived();
    const double length = (state.grid.nz - 1) * state.grid.dz / state.scaleZ.Factor();
    const double farthest = std::max(std::abs(derived.zOffset), std::abs(derived.zOffset + length));
    check.phaseError = kx >= k ? std::numeric_limits<double>::infinity() : kx * kx * kx * kx * farthest / (8 * k * k * k);
    // A Gaussian feature's |spectrum|^2 falls as exp(-2 w^2 kx^2).
    check.evanescentWeight = std::erfc(std::sqrt(2.0) * feature * k);
    return check;
}

std::optional<std::string> ParaxialWarning(const SimulationState& state)
{
    const WaveSettings& wave = state.parameters.wave;
    if (wave.model == FieldModel::Wave && wave.propagator == Propagator::Exact) {
        return std::nullopt;
    }
    const ParaxialCheck check = CheckParaxial(state);
    if (check.Holds()) {
        return std::nullopt;
    }
    char text[300];
    std::snprintf(text, sizeof text,
                  "outside the paraxial regime (lambda/d = %.3g, lambda/(4 pi sigma0) = %.3g, a non-paraxial phase of "
                  "%.2g rad at the window's end, %.2g %% of the field evanescent): exact propagation would differ by "
                  "more than about 1 %%; the wave model's exact propagator computes it",
                  check.angle, check.spreadAngle, check.phaseError, check.evanescentWeight * 100);
    return std::string(text);
}

std::optional<std::string> ModelSummary(const SimulationState& state)
{
    const WaveSettings& wave = state.parameters.wave;
    std::string text;
    char part[200];
    if (wave.model == FieldModel::Wave) {
        SimulationState derived;
        CopySettings(state, derived);
        derived.parameters.UpdateDerived();
        const WaveGrid grid = PlanWaveGrid(derived);
        std::snprintf(part, sizeof part, "wave model on a fine grid of %zu points %.3g nm apart",
                      grid.size, grid.spacing * 1e9);
        text = part;
        // Only the evanescent share needs the field's spectrum.
        if (wave.propagator == Propagator::Exact) {
            std::snprintf(part, sizeof part, ", %.2g %% of |psi|^2 evanescent and dropped",
                          WavePropagation(derived).EvanescentWeight() * 100);
            text += part;
        }
    }
    if (wave.PartiallyCoherent()) {
        const CoherencePoints points = CoherenceSampleCounts(state);
        std::snprintf(part, sizeof part, "%s%d coherence samples (", text.empty() ? "" : "; ", points.Total());
        text += part;
        if (wave.lambdaSpread > 0.0) {
            text += std::to_string(points.wavelengths) + " wavelengths";
        }
        if (wave.sourceWidth > 0.0) {
            text += (wave.lambdaSpread > 0.0 ? " by " : "") + std::to_string(points.angles) + " angles";
        }
        text += ')';
        if (points.limited) {
            std::snprintf(part, sizeof part, ", limited to %d per spread: the average may be off by more than %.0e",
                          kMostCoherenceSamples, kCoherenceAccuracy);
            text += part;
        }
    }
    return text.empty() ? std::nullopt : std::optional<std::string>(text);
}

}  // namespace nivaro
