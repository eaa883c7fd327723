#pragma once

#include <cmath>
#include <complex>

#include "engine/PhysicalConstants.h"
#include "engine/SimulationParameters.h"

namespace nivaro {

// psi of soft-edged openings (up to the wave model's amplitude) by the
// Fresnel integral in kx, summed directly: the transmission's transform is
// that of the openings times the edges' Gaussian. With xOrder > 0, its x
// derivative of that order, each plane wave's i kx taken into the sum.
inline std::complex<double> FresnelPsi(const SimulationParameters& p, double x, double z, int xOrder = 0)
{
    const double s = p.wave.EdgeWidth(p.d);
    const double k = 2 * kPi / p.lambda;
    const double reach = 9.0 / s;
    const double step = 2 * kPi / (8 * (p.slits * p.d + std::abs(x)));
    std::complex<double> sum = 0.0;
    for (double kx = -reach; kx <= reach; kx += step) {
        std::complex<double> openings = 0.0;
        for (int n = 0; n < p.slits; ++n) {
            openings += std::polar(1.0, -kx * (n - (p.slits - 1) * 0.5) * p.d);
        }
        const double single = kx == 0.0 ? p.slitWidth : 2 * std::sin(kx * p.slitWidth / 2) / kx;
        const std::complex<double> derivative = std::pow(std::complex<double>(0.0, kx), xOrder);
        sum += derivative * openings * single * std::exp(-kx * kx * s * s / 2) *
               std::polar(1.0, kx * x - kx * kx * z / (2 * k));
    }
    return sum * step / (2 * kPi);
}

}  // namespace nivaro
