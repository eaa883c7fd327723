#include "WaveFunction.h"

#include "PhysicalConstants.h"

namespace nivaro {

ColumnCoefficients ComputeColumnCoefficients(const SimulationParameters& parameters, double z)
{
    const double sigma0 = parameters.sigma0;
    const double t = parameters.lambda * z / (kFourPi * sigma0);
    const Complex sigma{sigma0, t};
    const Complex gaussExponent = Divide(Complex{-0.25, 0.0}, Complex{sigma0 * sigma.real(), sigma0 * sigma.imag()});
    const Complex root = std::sqrt(Divide(Complex{kInverseSqrtTwoPi, 0.0}, sigma));
    const Complex phase = Exp(Complex{0.0, 1.5 * parameters.momentum * z / kHbar});
    return {sigma, gaussExponent, root * phase};
}

Complex EvaluatePsi(const SimulationParameters& parameters, double x, double z)
{
    const ColumnCoefficients column = ComputeColumnCoefficients(parameters, z);
    return column.columnFactor * SlitSum(column.gaussExponent, x, parameters.slits, parameters.d);
}

double DensityNormalisation(const SimulationParameters& parameters)
{
    return parameters.sigma0 * kSqrtTwoPi / parameters.slits;
}

}  // namespace nivaro
