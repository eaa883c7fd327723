#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>

#include "engine/DensityGrid.h"
#include "engine/SpectrumTransform.h"
#include "engine/SurfaceData.h"

namespace nivaro {
namespace {

TEST(SpectrumTransform, ZeroFrequencyIsTheMagnitudeOfTheSumOfTheTopLeftBlockAndTheStateStays)
{
    SimulationState state;
    state.grid.nx = 100;
    state.grid.nz = 300;
    SilentProgress progress;
    ComputeDensityGrid(state, progress, PsiKept::Whole);
    // The transform at (u, v) by its definition, over the zero-padded block.
    const auto direct = [&state](int u, int v) {
        const long double pi = 3.141592653589793238462643383279503L;
        std::complex<long double> sum = 0;
        for (int i = 0; i < 100; ++i) {
            for (int j = 0; j < 256; ++j) {
                const long double angle = -2 * pi * ((i * u + j * v) % 256) / 256.0L;
                sum += std::complex<long double>(state.psiField[i][j]) * std::polar(1.0L, angle);
            }
        }
        return std::min(static_cast<double>(std::abs(sum)), 1e6);
    };
    RealMatrixT magnitudes(0, 0);
    SpectrumOfPsi(state, magnitudes);
    ASSERT_EQ(magnitudes.Rows(), 256);
    ASSERT_EQ(magnitudes.Cols(), 256);
    EXPECT_NEAR(magnitudes[0][0], direct(0, 0), 1e-9 * magnitudes[0][0]);
    EXPECT_NEAR(magnitudes[1][2], direct(1, 2), 1e-9 * magnitudes[1][2]);
    EXPECT_EQ(state.psiField.Rows(), 100) << "psi stays";
    EXPECT_EQ(state.densityField.Cols(), 300);
}

TEST(SpectrumTransform, MagnitudesAreCappedAtOneMillion)
{
    SimulationState state;
    SilentProgress progress;
    ComputeDensityGrid(state, progress);
    RealMatrixT magnitudes(0, 0);
    SpectrumOfPsi(state, magnitudes);
    EXPECT_EQ(magnitudes.MaxElement(), 1e6) << "the strongest orders of the defaults reach the cap";
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

    const std::vector<SurfacePoint> logarithmic =
        SpectrumSurfacePoints(magnitudes, 2.0, SpectrumHeight::Logarithmic, 6.0);
    EXPECT_DOUBLE_EQ(logarithmic[64 * 128 + 64].y, std::log10(0.5)) << "the cap, over the largest magnitude";
    EXPECT_DOUBLE_EQ(logarithmic[63 * 128 + 64].y, std::log10(3.0 / 8.0));
    EXPECT_EQ(logarithmic[0].y, -6.0) << "nothing lies below the floor of six decades";
}

}  // namespace
}  // namespace nivaro
