#include "ExtendedPrecisionTracer.h"

#include <algorithm>
#include <limits>

#include "engine/PhysicalConstants.h"
#include "engine/SettingsValidation.h"

namespace nivaro {
BohmVelocityField::BohmVelocityField(const SimulationState& state)
    : parameters_(state.parameters),
      nx_(state.grid.nx),
      dx_(state.grid.dx),
      dz_(state.grid.dz),
      scaleX_(state.scaleX.Factor()),
      scaleZ_(state.scaleZ.Factor()),
      velocityFactor_(static_cast<long double>(kHbar) / parameters_.mass * -2.0L)
{
}

namespace {

// Rounds to the nearest integer in the current rounding mode; nearbyintl
// and a cast would each switch the floating-point control word on every
// call, which costs more than the rest of a velocity step.
long double NearbyInteger(long double value)
{
    return static_cast<long double>(std::llrint(value));
}

// e^w with the phase first reduced to about [-pi, pi] by two parts of 2 pi,
// the first short enough that its product with the turn count is exact, so
// that sincosl never takes its slow path for large arguments.
ExtendedComplex ReducedExp(const ExtendedComplex& w)
{
    constexpr long double kTwoPi = 6.28318530717958647692528676656L;
    constexpr long double kTwoPiHigh = 6.2831853069365024566650390625L;  // 32 bits: turns * kTwoPiHigh is exact
    constexpr long double kTwoPiLow = 2.430840202602477040590058e-10L;
    constexpr long double kLargestReduced = 1e15L;
    if (!(std::abs(w.imag()) < kLargestReduced)) {
        return Exp(w);
    }
    const long double turns = NearbyInteger(w.imag() * (1.0L / kTwoPi));
    const long double phase = (w.imag() - turns * kTwoPiHigh) - turns * kTwoPiLow;
    return Exp(ExtendedComplex{w.real(), phase});
}

// Terms below this squared magnitude, relative to the nearest slit's, are far
// below the rounding of the sums; outward they only get smaller.
constexpr long double kNegligibleNorm = 1e-80L;

// exp(A d^2) below this and the neighbouring slits add nothing.
constexpr long double kLowestSlitExponent = -11000.0L;

}  // namespace

// The sums over slits run outward from the slit nearest to x: its term is
// taken as 1 (the quotient does not change when both sums are scaled), and
// each further term follows from its neighbour by a factor that itself
// changes by the constant exp(2 A d^2) from slit to slit. Outward every
// factor is at most 1 in magnitude, so nothing overflows and the walk stops
// where the terms have faded below rounding. Two exponentials per call
// whatever the number of slits: exp(A d^2) and exp(2 A d u) of the anchor
// give both directions' first factors and the slit-to-slit change.
long double BohmVelocityField::BohmVelocity(double zAbs, double row) const
{
    const double z = zAbs * dz_ / scaleZ_;
    const ColumnCoefficients column = ComputeColumnCoefficients(parameters_, z);
    const ExtendedComplex a{column.gaussExponent.real(), column.gaussExponent.imag()};
    const double x = (row - nx_ * 0.5) * dx_ / scaleX_;

    const int slits = parameters_.slits;
    const long double d = parameters_.d;
    const long double first = x - (slits - 1) * 0.5 * parameters_.d;
    const long double nearest =
        std::clamp(NearbyInteger(std::clamp(-first / d, -1.0L, static_cast<long double>(slits))), 0.0L,
                   static_cast<long double>(slits - 1));
    const int anchor = static_cast<int>(std::llrint(nearest));
    const long double anchorU = first + nearest * d;

    ExtendedComplex sum{1.0L, 0.0L};
    ExtendedComplex weighted{anchorU, 0.0L};
    const long double slitExponent = a.real() * d * d;
    if (slits > 1 && slitExponent > kLowestSlitExponent) {
        const ExtendedComplex neighbour = ReducedExp(a * (d * d));
        const ExtendedComplex slitStep = neighbour * neighbour;
        const auto addOutward = [&](int count, long double direction, const ExtendedComplex& firstFactor) {
            // Plain products: the library's complex product guards against
            // infinities that cannot occur here, at a cost in every step.
            long double termRe = 1.0L;
            long double termIm = 0.0L;
            long double factorRe = firstFactor.real();
            long double factorIm = firstFactor.imag();
            long double sumRe = 0.0L;
            long double sumIm = 0.0L;
            long double weightedRe = 0.0L;
            long double weightedIm = 0.0L;
            long double u = anchorU;
            for (int k = 0; k < count; ++k) {
                const long double nextRe = termRe * factorRe - termIm * factorIm;
                termIm = termRe * factorIm + termIm * factorRe;
                termRe = nextRe;
                const long double nextFactorRe = factorRe * slitStep.real() - factorIm * slitStep.imag();
                factorIm = factorRe * slitStep.imag() + factorIm * slitStep.real();
                factorRe = nextFactorRe;
                u += direction * d;
                sumRe += termRe;
                sumIm += termIm;
                weightedRe += u * termRe;
                weightedIm += u * termIm;
                if (termRe * termRe + termIm * termIm < kNegligibleNorm) {
                    break;
                }
            }
            sum += ExtendedComplex{sumRe, sumIm};
            weighted += ExtendedComplex{weightedRe, weightedIm};
        };
        // Between two slits |u| <= d / 2, so exp(2 A d u) and its inverse both
        // stay in range and one exponential serves both directions; at the
        // edge of the grating only one direction is walked.
        const int above = slits - 1 - anchor;
        const int below = anchor;
        if (above > 0 && below > 0) {
            const ExtendedComplex tilt = ReducedExp(a * (2.0L * d * anchorU));
            addOutward(above, 1.0L, tilt * neighbour);
            addOutward(below, -1.0L, Divide(neighbour, tilt));
        } else if (above > 0) {
            addOutward(above, 1.0L, ReducedExp(a * (2.0L * d * anchorU)) * neighbour);
        } else if (below > 0) {
            addOutward(below, -1.0L, ReducedExp(a * (-2.0L * d * anchorU)) * neighbour);
        }
    }
    const ExtendedComplex quotient = Divide(a * weighted, sum);
    return quotient.imag() * velocityFactor_;
}

ExtendedPrecisionTracer::ExtendedPrecisionTracer(const SimulationState& state)
    : field_(state),
      nx_(state.grid.nx),
      nz_(state.grid.nz),
      columnOffset_(state.parameters.zOffset * state.scaleZ.Factor() / state.grid.dz),
      velocity_(state.parameters.velocity),
      scaleX_(state.scaleX.Factor()),
      scaleZ_(state.scaleZ.Factor())
{
    if (!IsPositiveFinite(scaleX_) || !IsPositiveFinite(scaleZ_) || !IsPositiveFinite(velocity_)) {
        throw std::invalid_argument("trajectories need positive finite scales and particle velocity");
    }
}

}  // namespace nivaro
