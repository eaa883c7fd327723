#pragma once

#include <complex>

#include "engine/SimulationParameters.h"

namespace nivaro {

using Complex = std::complex<double>;
using ExtendedComplex = std::complex<long double>;

// Complex division with Smith's scaling (divide by the larger of the
// divisor's parts first), so that no intermediate overflows.
template <typename Real>
std::complex<Real> Divide(const std::complex<Real>& a, const std::complex<Real>& b)
{
    const Real c = b.real();
    const Real d = b.imag();
    if (std::abs(c) >= std::abs(d)) {
        const Real ratio = d / c;
        const Real denominator = c + d * ratio;
        return {(a.real() + a.imag() * ratio) / denominator, (a.imag() - a.real() * ratio) / denominator};
    }
    const Real ratio = c / d;
    const Real denominator = c * ratio + d;
    return {(a.real() * ratio + a.imag()) / denominator, (a.imag() * ratio - a.real()) / denominator};
}

// e^Re(w) (cos Im(w) + i sin Im(w)).
template <typename Real>
std::complex<Real> Exp(const std::complex<Real>& w)
{
    const Real magnitude = std::exp(w.real());
    return {magnitude * std::cos(w.imag()), magnitude * std::sin(w.imag())};
}

// The per-column quantities of the slit sum: they depend on z only.
struct ColumnCoefficients {
    Complex sigma;           // sigma0 + i t(z), the complex packet width
    Complex gaussExponent;   // A(z) = -0.25 / (sigma0 sigma(z))
    Complex columnFactor;    // F(z) = sqrt(c / sigma(z)) exp(i 1.5 p z / hbar)
};

ColumnCoefficients ComputeColumnCoefficients(const SimulationParameters& parameters, double z);

// S(x) = sum over slits of exp(A u^2), u = x minus each slit centre, visited
// from the slit at the largest x to the one at the smallest.
inline Complex SlitSum(const Complex& gaussExponent, double x, int slits, double d)
{
    double u = x - (slits - 1) * 0.5 * d;
    Complex sum{0.0, 0.0};
    for (int k = 0; k < slits; ++k) {
        const double uu = u * u;
        sum += Exp(Complex{gaussExponent.real() * uu, gaussExponent.imag() * uu});
        u += d;
    }
    return sum;
}

// psi(x, z) = F(z) S(x, z).
Complex EvaluatePsi(const SimulationParameters& parameters, double x, double z);

// Factor that turns |psi|^2 into norm(PSI): sigma0 sqrt(2 pi) / N.
double DensityNormalisation(const SimulationParameters& parameters);

}  // namespace nivaro
