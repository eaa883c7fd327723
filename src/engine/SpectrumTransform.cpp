#include "SpectrumTransform.h"

#include <algorithm>

#include "numeric/Fft2D.h"

namespace nivaro {

void TransformPsiToSpectrum(SimulationState& state)
{
    state.psiField.Resize(kSpectrumSize, kSpectrumSize);
    state.densityField.Resize(kSpectrumSize, kSpectrumSize);
    Fft2D(state.psiField);
    for (int row = 0; row < kSpectrumSize; ++row) {
        double* magnitudes = state.densityField[row];
        Magnitude(magnitudes, state.psiField.Re(row), state.psiField.Im(row), kSpectrumSize);
        std::transform(magnitudes, magnitudes + kSpectrumSize, magnitudes,
                       [](double value) { return value > kSpectrumCap ? kSpectrumCap : value; });
    }
}

bool ApplySpectrumView(SimulationState& state)
{
    if (state.densityField.Rows() == kSpectrumSize) {
        return false;
    }
    TransformPsiToSpectrum(state);
    return true;
}

}  // namespace nivaro
