#pragma once

#include "engine/SimulationState.h"

namespace nivaro {

inline constexpr int kSpectrumSize = 256;
inline constexpr double kSpectrumCap = 1e6;

// Whether the magnitudes are capped at kSpectrumCap, as tables and pictures
// show them, or kept whole.
enum class SpectrumValues { Capped, Whole };

// The magnitudes of the 2D Fourier transform of psi on the top-left 256 by
// 256 block of the grid (zero-padded where the grid is smaller) into
// magnitudes (reshaped to 256 by 256). psi of the block is computed afresh,
// so that no run has to keep psi on the whole grid for it.
void SpectrumOfPsi(const SimulationState& state, RealMatrixT& magnitudes,
                   SpectrumValues values = SpectrumValues::Capped);

}  // namespace nivaro
