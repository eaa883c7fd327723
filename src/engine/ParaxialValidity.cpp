#include "ParaxialValidity.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "PhysicalConstants.h"

namespace nivaro {
namespace {

// The smallest feature of the field at the grating: a Gaussian opening's
// sigma0, a soft edge's rms width, a phase grating's shortest local period
// over 2 pi.
double SmallestFeature(const SimulationParameters& parameters)
{
    const WaveSettings& wave = parameters.wave;
    if (wave.model == FieldModel::Slits || wave.grating == GratingKind::Gaussian) {
        return parameters.sigma0;
    }
    const double edge = wave.EdgeWidth(parameters.d);
    return wave.grating == GratingKind::Rectangular
               ? edge
               : std::min(edge, parameters.d / (2 * kPi * (1 + std::abs(wave.phaseDepth))));
}

}  // namespace

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
                  "outside the paraxial regime (lambda/d = %.3g, lambda/(4 pi sigma0) = %.3g, %.2g %% of the field "
                  "evanescent): exact propagation would differ by more than about 1 %%; model=wave with "
                  "propagator=exact computes it",
                  check.angle, check.spreadAngle, check.evanescentWeight * 100);
    return std::string(text);
}

}  // namespace nivaro
