#pragma once

#include <vector>

#include "Matrices.h"

namespace nivaro {

// Forward discrete Fourier transform with the negative exponent,
//   X(m) = sum_k x(k) exp(-2 pi i k m / count),
// unnormalised and in natural order (zero frequency first). Radix 2:
// count must be a power of two; count 0 does nothing. Butterflies, angles and
// twiddles are carried in extended precision and rounded once when stored.
void FftRow(double* re, double* im, int count);

// The twiddle factors of one transform length, computed once and used for
// every row of that length: the same extended-precision values FftRow
// computes, so results are identical.
class FftPlan {
public:
    explicit FftPlan(int count);
    int Count() const { return count_; }
    void Transform(double* re, double* im) const;

private:
    int count_;
    std::vector<long double> twiddleRe_;  // per stage (half = 1, 2, 4, ...), i = 0 .. half - 1
    std::vector<long double> twiddleIm_;
};

// In-place 2D forward transform of a square, power-of-two matrix:
//   F(u, v) = sum_r sum_c f(r, c) exp(-2 pi i (r u / rows + c v / cols)).
void Fft2D(ComplexMatrixT& matrix);

// destination(k) = sqrt(re(k)^2 + im(k)^2), evaluated in extended precision.
void Magnitude(double* destination, const double* re, const double* im, int count);

}  // namespace nivaro
