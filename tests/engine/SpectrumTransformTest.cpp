#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>

#include "engine/DensityGrid.h"
#include "engine/SpectrumTransform.h"

namespace nivaro {
namespace {

TEST(SpectrumTransform, ZeroFrequencyIsTheMagnitudeOfTheSumOfTheTopLeftBlock)
{
    SimulationState state;
    state.grid.nx = 100;
    state.grid.nz = 300;
    SilentProgress progress;
    ComputeDensityGrid(state, progress);
    std::complex<long double> sum = 0;
    for (int i = 0; i < 100; ++i) {
        for (int j = 0; j < 256; ++j) {
            sum += std::complex<long double>(state.psiField.Re(i)[j], state.psiField.Im(i)[j]);
        }
    }
    ASSERT_TRUE(ApplySpectrumView(state));
    EXPECT_EQ(state.psiField.Rows(), 256);
    EXPECT_EQ(state.densityField.Cols(), 256);
    const double zeroFrequency = std::hypot(state.psiField.Re(0)[0], state.psiField.Im(0)[0]);
    EXPECT_NEAR(zeroFrequency, static_cast<double>(std::abs(sum)), 1e-9 * zeroFrequency);
    EXPECT_EQ(state.densityField[0][0], std::min(zeroFrequency, 1e6));
    EXPECT_EQ(state.densityField[1][2], std::min(std::hypot(state.psiField.Re(1)[2], state.psiField.Im(1)[2]), 1e6));

    const double before = state.densityField[3][4];
    EXPECT_FALSE(ApplySpectrumView(state)) << "a second press does nothing";
    EXPECT_EQ(state.densityField[3][4], before);
}

TEST(SpectrumTransform, MagnitudesAreCappedAtOneMillion)
{
    SimulationState state;
    state.psiField.Resize(256, 256);
    state.densityField.Resize(10, 10);
    for (int i = 0; i < 256; ++i) {
        for (int j = 0; j < 256; ++j) {
            state.psiField.Re(i)[j] = 100.0;
        }
    }
    TransformPsiToSpectrum(state);
    EXPECT_EQ(state.densityField[0][0], 1e6);
    EXPECT_LT(state.densityField[0][1], 1e-6);
}

TEST(SpectrumTransform, TheSpectrumOfACopyEqualsTheTransformAndLeavesTheState)
{
    SimulationState state;
    state.parameters.slits = 3;
    SilentProgress progress;
    ComputeDensityGrid(state, progress);
    RealMatrixT copied(1, 1);
    SpectrumOfPsi(state, copied);
    EXPECT_EQ(state.psiField.Rows(), 300) << "psi stays";
    EXPECT_EQ(state.densityField.Rows(), 300);
    TransformPsiToSpectrum(state);
    for (int i = 0; i < kSpectrumSize; ++i) {
        for (int j = 0; j < kSpectrumSize; ++j) {
            ASSERT_EQ(copied[i][j], state.densityField[i][j]) << i << "," << j;
        }
    }
}

TEST(SpectrumTransform, TheViewNeverActsOnAGridOf256Rows)
{
    SimulationState state;
    state.grid.nx = 256;
    state.grid.nz = 20;
    SilentProgress progress;
    ComputeDensityGrid(state, progress);
    EXPECT_FALSE(ApplySpectrumView(state));
    EXPECT_EQ(state.densityField.Cols(), 20);
}

}  // namespace
}  // namespace nivaro
