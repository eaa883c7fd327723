#pragma once

#include "engine/SimulationState.h"

namespace nivaro {

inline constexpr int kSpectrumSize = 256;
inline constexpr double kSpectrumCap = 1e6;

// Replaces psiField by its 2D Fourier transform on the top-left 256 by 256
// block (zero-padded where the grid is smaller) and densityField by the
// magnitudes, each capped at 1e6. Always transforms.
void TransformPsiToSpectrum(SimulationState& state);

// The same magnitudes from a copy of psi into magnitudes (reshaped to 256
// by 256), leaving the state as it is.
void SpectrumOfPsi(const SimulationState& state, RealMatrixT& magnitudes);

}  // namespace nivaro
