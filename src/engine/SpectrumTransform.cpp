#include "SpectrumTransform.h"

#include <algorithm>

#include "numeric/Fft2D.h"

namespace nivaro {

namespace {

// Transforms the top-left block of field in place (reshaped to 256 by 256,
// zero-padded) and writes the capped magnitudes.
void TransformInPlace(ComplexMatrixT& field, RealMatrixT& magnitudes)
{
    field.Resize(kSpectrumSize, kSpectrumSize);
    magnitudes.Resize(kSpectrumSize, kSpectrumSize);
    Fft2D(field);
    for (int row = 0; row < kSpectrumSize; ++row) {
        double* values = magnitudes[row];
        Magnitude(values, field.Re(row), field.Im(row), kSpectrumSize);
        std::transform(values, values + kSpectrumSize, values,
                       [](double value) { return value > kSpectrumCap ? kSpectrumCap : value; });
    }
}

}  // namespace

void TransformPsiToSpectrum(SimulationState& state)
{
    TransformInPlace(state.psiField, state.densityField);
}

void SpectrumOfPsi(const SimulationState& state, RealMatrixT& magnitudes)
{
    ComplexMatrixT field(std::min(state.psiField.Rows(), kSpectrumSize), std::min(state.psiField.Cols(), kSpectrumSize));
    for (int row = 0; row < field.Rows(); ++row) {
        std::copy_n(state.psiField.Re(row), field.Cols(), field.Re(row));
        std::copy_n(state.psiField.Im(row), field.Cols(), field.Im(row));
    }
    TransformInPlace(field, magnitudes);
}

}  // namespace nivaro
