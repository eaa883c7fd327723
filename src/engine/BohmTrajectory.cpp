#include "BohmTrajectory.h"

#include <limits>

#include "PhysicalConstants.h"
#include "SettingsValidation.h"

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

long double BohmVelocityField::BohmVelocity(double zAbs, double row) const
{
    const double z = zAbs * dz_ / scaleZ_;
    const ColumnCoefficients column = ComputeColumnCoefficients(parameters_, z);
    const ExtendedComplex a{column.gaussExponent.real(), column.gaussExponent.imag()};
    const double x = (row - nx_ * 0.5) * dx_ / scaleX_;

    long double u = x - (parameters_.slits - 1) * 0.5 * parameters_.d;
    const long double d = parameters_.d;
    ExtendedComplex sum{0.0L, 0.0L};
    ExtendedComplex weighted{0.0L, 0.0L};
    for (int k = 0; k < parameters_.slits; ++k) {
        const long double uu = u * u;
        const ExtendedComplex e = Exp(ExtendedComplex{a.real() * uu, a.imag() * uu});
        sum += e;
        weighted += ExtendedComplex{u * e.real(), u * e.imag()};
        u += d;
    }
    const ExtendedComplex quotient = Divide(a * weighted, sum);
    return quotient.imag() * velocityFactor_;
}

int RoundToGridIndex(double value)
{
    const double rounded = std::nearbyint(value);
    if (!(rounded >= static_cast<double>(std::numeric_limits<int>::min()))) {
        return std::isnan(rounded) ? std::numeric_limits<int>::max() : std::numeric_limits<int>::min();
    }
    if (rounded > static_cast<double>(std::numeric_limits<int>::max())) {
        return std::numeric_limits<int>::max();
    }
    return static_cast<int>(rounded);
}

TrajectoryTracer::TrajectoryTracer(const SimulationState& state)
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
