#include "Fft2D.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace nivaro {
namespace {

int BitCount(int count)
{
    int bits = 0;
    while ((1 << bits) < count) {
        ++bits;
    }
    return bits;
}

int ReverseBits(int value, int bits)
{
    int reversed = 0;
    for (int b = 0; b < bits; ++b) {
        reversed = (reversed << 1) | ((value >> b) & 1);
    }
    return reversed;
}

void BitReversePermute(double* re, double* im, int count)
{
    const int bits = BitCount(count);
    for (int i = 0; i < count; ++i) {
        const int r = ReverseBits(i, bits);
        if (r > i) {
            std::swap(re[i], re[r]);
            std::swap(im[i], im[r]);
        }
    }
}

}  // namespace

// Angles accumulate step by step within a stage, as the transform has always
// computed them, so tables and results stay bit for bit the same.
FftPlan::FftPlan(int count) : count_(count)
{
    constexpr long double pi = std::numbers::pi_v<long double>;
    for (int half = 1; half < count; half *= 2) {
        const long double angleStep = pi / half;
        long double angle = 0.0L;
        for (int i = 0; i < half; ++i) {
            twiddleRe_.push_back(std::cos(angle));
            twiddleIm_.push_back(-std::sin(angle));
            angle += angleStep;
        }
    }
}

void FftPlan::Transform(double* re, double* im) const
{
    const int count = count_;
    if (count <= 0) {
        return;
    }
    BitReversePermute(re, im, count);
    std::size_t stageStart = 0;
    for (int half = 1; half < count; half *= 2) {
        for (int i = 0; i < half; ++i) {
            const long double wRe = twiddleRe_[stageStart + static_cast<std::size_t>(i)];
            const long double wIm = twiddleIm_[stageStart + static_cast<std::size_t>(i)];
            for (int k = i; k < count; k += 2 * half) {
                const long double xRe = re[k + half];
                const long double xIm = im[k + half];
                const long double tRe = wRe * xRe - wIm * xIm;
                const long double tIm = wRe * xIm + wIm * xRe;
                const long double aRe = re[k];
                const long double aIm = im[k];
                re[k + half] = static_cast<double>(aRe - tRe);
                im[k + half] = static_cast<double>(aIm - tIm);
                re[k] = static_cast<double>(aRe + tRe);
                im[k] = static_cast<double>(aIm + tIm);
            }
        }
        stageStart += static_cast<std::size_t>(half);
    }
}

void FftRow(double* re, double* im, int count)
{
    FftPlan(count).Transform(re, im);
}

void Fft2D(ComplexMatrixT& matrix)
{
    const auto transformRows = [&matrix] {
        const FftPlan plan(matrix.Cols());
        for (int r = 0; r < matrix.Rows(); ++r) {
            plan.Transform(matrix.Re(r), matrix.Im(r));
        }
    };
    transformRows();
    matrix.Transpose();
    transformRows();
    matrix.Transpose();
}

void Magnitude(double* destination, const double* re, const double* im, int count)
{
    for (int k = 0; k < count; ++k) {
        const long double r = re[k];
        const long double i = im[k];
        destination[k] = static_cast<double>(std::sqrt(r * r + i * i));
    }
}

}  // namespace nivaro
