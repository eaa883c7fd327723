#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <vector>

#include "numeric/Fft2D.h"

namespace nivaro {
namespace {

using LongComplex = std::complex<long double>;

// Independent oracle: the direct O(n^2) sum in long double.
std::vector<LongComplex> DirectDft(const std::vector<double>& re, const std::vector<double>& im)
{
    const std::size_t n = re.size();
    std::vector<LongComplex> result(n);
    for (std::size_t m = 0; m < n; ++m) {
        for (std::size_t k = 0; k < n; ++k) {
            const long double angle = -2.0L * std::numbers::pi_v<long double> * static_cast<long double>(k * m % n) / n;
            result[m] += LongComplex(re[k], im[k]) * LongComplex(std::cos(angle), std::sin(angle));
        }
    }
    return result;
}

TEST(Fft, RowTransformOfSmallSequences)
{
    std::vector<double> re = {1, 0, 0, 0, 0, 0, 0, 0};
    std::vector<double> im(8, 0.0);
    FftRow(re.data(), im.data(), 8);
    for (int k = 0; k < 8; ++k) {
        EXPECT_DOUBLE_EQ(re[k], 1.0);
        EXPECT_DOUBLE_EQ(im[k], 0.0);
    }

    std::vector<double> shiftedRe = {0, 1, 0, 0};
    std::vector<double> shiftedIm(4, 0.0);
    FftRow(shiftedRe.data(), shiftedIm.data(), 4);
    const double expectedRe[] = {1, 0, -1, 0};
    const double expectedIm[] = {0, -1, 0, 1};
    for (int k = 0; k < 4; ++k) {
        EXPECT_NEAR(shiftedRe[k], expectedRe[k], 1e-15);
        EXPECT_NEAR(shiftedIm[k], expectedIm[k], 1e-15);
    }

    FftRow(nullptr, nullptr, 0);  // count 0 does nothing
}

TEST(Fft, RowTransformMatchesTheDirectSum)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    for (const int n : {1, 2, 16, 256}) {
        std::vector<double> re(n);
        std::vector<double> im(n);
        for (int k = 0; k < n; ++k) {
            re[k] = value(random);
            im[k] = value(random);
        }
        const std::vector<LongComplex> expected = DirectDft(re, im);
        FftRow(re.data(), im.data(), n);
        for (int k = 0; k < n; ++k) {
            EXPECT_NEAR(re[k], static_cast<double>(expected[k].real()), 1e-12) << "n=" << n << " k=" << k;
            EXPECT_NEAR(im[k], static_cast<double>(expected[k].imag()), 1e-12) << "n=" << n << " k=" << k;
        }
    }
}

TEST(Fft, MatrixTransformOfAnImpulseAndAConstant)
{
    ComplexMatrixT impulse(8, 8);
    impulse.Clear();
    impulse.Re(0)[0] = 1.0;
    Fft2D(impulse);
    ComplexMatrixT constant(8, 8);
    for (int r = 0; r < 8; ++r) {
        for (int c = 0; c < 8; ++c) {
            constant.Re(r)[c] = 0.5;
            constant.Im(r)[c] = -0.25;
        }
    }
    Fft2D(constant);
    for (int r = 0; r < 8; ++r) {
        for (int c = 0; c < 8; ++c) {
            EXPECT_DOUBLE_EQ(impulse.Re(r)[c], 1.0);
            EXPECT_DOUBLE_EQ(impulse.Im(r)[c], 0.0);
            const bool zeroFrequency = r == 0 && c == 0;
            EXPECT_NEAR(constant.Re(r)[c], zeroFrequency ? 32.0 : 0.0, 1e-13);
            EXPECT_NEAR(constant.Im(r)[c], zeroFrequency ? -16.0 : 0.0, 1e-13);
        }
    }
}

TEST(Fft, MatrixTransformMatchesTheDirectTwoDimensionalSum)
{
    constexpr int n = 16;
    std::mt19937 random(11);
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    ComplexMatrixT matrix(n, n);
    std::vector<std::vector<LongComplex>> input(n, std::vector<LongComplex>(n));
    for (int r = 0; r < n; ++r) {
        for (int c = 0; c < n; ++c) {
            matrix.Re(r)[c] = value(random);
            matrix.Im(r)[c] = value(random);
            input[r][c] = {matrix.Re(r)[c], matrix.Im(r)[c]};
        }
    }
    Fft2D(matrix);
    const long double pi = std::numbers::pi_v<long double>;
    for (int u = 0; u < n; ++u) {
        for (int v = 0; v < n; ++v) {
            LongComplex expected = 0;
            for (int r = 0; r < n; ++r) {
                for (int c = 0; c < n; ++c) {
                    const long double angle = -2.0L * pi * ((r * u + c * v) % n) / n;
                    expected += input[r][c] * LongComplex(std::cos(angle), std::sin(angle));
                }
            }
            EXPECT_NEAR(matrix.Re(u)[v], static_cast<double>(expected.real()), 1e-12);
            EXPECT_NEAR(matrix.Im(u)[v], static_cast<double>(expected.imag()), 1e-12);
        }
    }
}

TEST(Fft, MagnitudeUsesExtendedRangeForTheSquares)
{
    const double re[] = {3.0, 1e200, 0.0};
    const double im[] = {-4.0, 1e200, -2.5};
    double magnitude[3];
    Magnitude(magnitude, re, im, 3);
    EXPECT_EQ(magnitude[0], 5.0);
    EXPECT_DOUBLE_EQ(magnitude[1], std::sqrt(2.0) * 1e200);
    EXPECT_EQ(magnitude[2], 2.5);
}

}  // namespace
}  // namespace nivaro
