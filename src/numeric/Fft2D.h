#pragma once

#include "Matrices.h"

namespace nivaro {

// Forward discrete Fourier transform with the negative exponent,
//   X(m) = sum_k x(k) exp(-2 pi i k m / count),
// unnormalised and in natural order (zero frequency first). Radix 2:
// count must be a power of two; count 0 does nothing. Butterflies, angles and
// twiddles are carried in extended precision and rounded once when stored.
void FftRow(double* re, double* im, int count);

// In-place 2D forward transform of a square, power-of-two matrix:
//   F(u, v) = sum_r sum_c f(r, c) exp(-2 pi i (r u / rows + c v / cols)).
void Fft2D(ComplexMatrixT& matrix);

// destination(k) = sqrt(re(k)^2 + im(k)^2), evaluated in extended precision.
void Magnitude(double* destination, const double* re, const double* im, int count);

}  // namespace nivaro
