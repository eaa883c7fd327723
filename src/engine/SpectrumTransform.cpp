#include "SpectrumTransform.h"

#include <algorithm>

#include "DensityGrid.h"
#include "numeric/Fft2D.h"

namespace nivaro {

void SpectrumOfPsi(const SimulationState& state, RealMatrixT& magnitudes)
{
    ComplexGrid psi(0, 0);
    ComputePsiBlock(state, kSpectrumSize, kSpectrumSize, psi);
    ComplexMatrixT field(kSpectrumSize, kSpectrumSize);
    field.Clear();
    for (int row = 0; row < psi.Rows(); ++row) {
        for (int column = 0; column < psi.Cols(); ++column) {
            field.Re(row)[column] = psi[row][column].real();
            field.Im(row)[column] = psi[row][column].imag();
        }
    }
    magnitudes.Reshape(kSpectrumSize, kSpectrumSize);
    Fft2D(field);
    for (int row = 0; row < kSpectrumSize; ++row) {
        double* values = magnitudes[row];
        Magnitude(values, field.Re(row), field.Im(row), kSpectrumSize);
        std::transform(values, values + kSpectrumSize, values,
                       [](double value) { return value > kSpectrumCap ? kSpectrumCap : value; });
    }
}

}  // namespace nivaro
