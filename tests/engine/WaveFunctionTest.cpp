#include <gtest/gtest.h>

#include <cmath>

#include "engine/WaveFunction.h"

namespace nivaro {
namespace {

constexpr double kPi = 3.141592653589793;

double NormalisedDensity(const SimulationParameters& parameters, double x, double z)
{
    return std::norm(EvaluatePsi(parameters, x, z)) * DensityNormalisation(parameters);
}

TEST(WaveFunction, OneSlitAtTheGratingIsARealGaussian)
{
    SimulationParameters parameters;
    parameters.slits = 1;
    const double sigma0 = parameters.sigma0;
    for (const double x : {0.0, 1e-9, -3e-9}) {
        const Complex psi = EvaluatePsi(parameters, x, 0.0);
        const double expected = std::pow(2 * kPi, -0.25) / std::sqrt(sigma0) * std::exp(-x * x / (4 * sigma0 * sigma0));
        EXPECT_NEAR(psi.real() / expected, 1.0, 1e-14) << x;
        EXPECT_EQ(psi.imag(), 0.0) << x;
        EXPECT_NEAR(NormalisedDensity(parameters, x, 0.0), std::exp(-x * x / (2 * sigma0 * sigma0)), 1e-14) << x;
    }
}

TEST(WaveFunction, TwoSlitsAtTheGratingWithTheDefaults)
{
    const SimulationParameters parameters;
    EXPECT_NEAR(NormalisedDensity(parameters, 5e-9, 0.0), std::pow(1 + std::exp(-6.25), 2) / 2, 1e-14);
    EXPECT_NEAR(NormalisedDensity(parameters, 0.0, 0.0), 2 * std::exp(-3.125), 1e-14);
}

TEST(WaveFunction, PeakFallsAsThePacketsSpread)
{
    SimulationParameters parameters;
    parameters.slits = 1;
    for (const double z : {1e-8, 1e-6}) {
        const ColumnCoefficients column = ComputeColumnCoefficients(parameters, z);
        EXPECT_NEAR(std::norm(column.columnFactor), 0.3989422804014327 / std::abs(column.sigma), 1e-12 * std::norm(column.columnFactor));
        EXPECT_EQ(column.sigma.imag(), parameters.lambda * z / (12.566370614359172 * parameters.sigma0));
    }
    // Far from the grating |psi|^2 on the axis falls like 1 / z.
    const double ratio = std::norm(EvaluatePsi(parameters, 0.0, 2e-3)) / std::norm(EvaluatePsi(parameters, 0.0, 1e-3));
    EXPECT_NEAR(ratio, 0.5, 1e-6);
}

TEST(WaveFunction, SmithDivisionAvoidsIntermediateOverflow)
{
    const Complex big = Divide(Complex{1e300, 1e300}, Complex{1e300, 1e300});
    EXPECT_DOUBLE_EQ(big.real(), 1.0);
    EXPECT_DOUBLE_EQ(big.imag(), 0.0);
    const Complex tall = Divide(Complex{1.0, 2.0}, Complex{1e-3, 4e300});
    EXPECT_DOUBLE_EQ(tall.real(), 2.0 / 4e300);
    EXPECT_DOUBLE_EQ(tall.imag(), -1.0 / 4e300);
    const Complex plain = Divide(Complex{1.0, 2.0}, Complex{3.0, -4.0});
    EXPECT_DOUBLE_EQ(plain.real(), -0.2);
    EXPECT_DOUBLE_EQ(plain.imag(), 0.4);
}

}  // namespace
}  // namespace nivaro
