#include "SpectrumTransform.h"

#include <algorithm>

#include "DensityGrid.h"
#include "numeric/Fft2D.h"

namespace nivaro {

void SpectrumOfPsi(const SimulationState& state, RealMatrixT& magnitudes, SpectrumValues values)
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
        double* magnitude = magnitudes[row];
        Magnitude(magnitude, field.Re(row), field.Im(row), kSpectrumSize);
        if (values == SpectrumValues::Capped) {
            std::transform(magnitude, magnitude + kSpectrumSize, magnitude,
                           [](double value) { return value > kSpectrumCap ? kSpectrumCap : value; });
        }
    }
}

}  // namespace nivaro
