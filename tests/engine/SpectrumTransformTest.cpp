#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>

#include "engine/DensityGrid.h"
#include "engine/SpectrumTransform.h"
#include "engine/SurfaceData.h"

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
    TransformPsiToSpectrum(state);
    EXPECT_EQ(state.psiField.Rows(), 256);
    EXPECT_EQ(state.densityField.Cols(), 256);
    const double zeroFrequency = std::hypot(state.psiField.Re(0)[0], state.psiField.Im(0)[0]);
    EXPECT_NEAR(zeroFrequency, static_cast<double>(std::abs(sum)), 1e-9 * zeroFrequency);
    EXPECT_EQ(state.densityField[0][0], std::min(zeroFrequency, 1e6));
    EXPECT_EQ(state.densityField[1][2], std::min(std::hypot(state.psiField.Re(1)[2], state.psiField.Im(1)[2]), 1e6));
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

// Zero frequency lands on the middle point; each point is the largest of its
// 2 by 2 block of bins after the shift, cut at the maximum over the P-scale.
TEST(SpectrumTransform, TheSurfaceHasZeroFrequencyInTheMiddle)
{
    RealMatrixT magnitudes(kSpectrumSize, kSpectrumSize);
    magnitudes.Clear();
    magnitudes[0][0] = 8.0;
    magnitudes[255][1] = 3.0;
    const std::vector<SurfacePoint> points = SpectrumSurfacePoints(magnitudes, 2.0);
    ASSERT_EQ(points.size(), 128u * 128u);
    const auto at = [&points](int x, int z) {
        const SurfacePoint& point = points[static_cast<std::size_t>((x + 64) * 128 + z + 64)];
        EXPECT_EQ(point.x, x);
        EXPECT_EQ(point.z, z);
        return point.y;
    };
    EXPECT_EQ(at(0, 0), 4.0) << "the cap: 8 over P-scale 2";
    EXPECT_EQ(at(-1, 0), 3.0) << "row -1 of the shifted spectrum is row 255";
    EXPECT_EQ(at(-64, -64), 0.0);
}

}  // namespace
}  // namespace nivaro
