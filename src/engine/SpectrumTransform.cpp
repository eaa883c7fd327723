#include "SpectrumTransform.h"

#include <algorithm>
#include <cmath>

#include "DensityGrid.h"
#include "PartialCoherence.h"
#include "RunDocument.h"
#include "numeric/Fft2D.h"

namespace nivaro {
namespace {

// The 2D transform of psi on the block, zero-padded to the spectrum's size,
// into field (of that size).
void TransformOfPsi(const SimulationState& state, ComplexMatrixT& field)
{
    ComplexGrid psi(0, 0);
    ComputePsiBlock(state, kSpectrumSize, kSpectrumSize, psi);
    field.Clear();
    for (int row = 0; row < psi.Rows(); ++row) {
        for (int column = 0; column < psi.Cols(); ++column) {
            field.Re(row)[column] = psi[row][column].real();
            field.Im(row)[column] = psi[row][column].imag();
        }
    }
    Fft2D(field);
}

// A partially coherent beam's spectrum: the root of the samples' weighted
// squared magnitudes, the mixture's power in each plane wave.
void MixtureMagnitudes(const SimulationState& state, RealMatrixT& magnitudes)
{
    SimulationState sampleState;
    CopySettings(state, sampleState);
    RealMatrixT power(kSpectrumSize, kSpectrumSize);
    power.Clear();
    ComplexMatrixT field(kSpectrumSize, kSpectrumSize);
    for (const CoherenceSample& sample : CoherenceQuadrature(state)) {
        if (state.stopRequested) {
            return;
        }
        const SampleParameters parameters(sampleState, sample);
        TransformOfPsi(sampleState, field);
        for (int row = 0; row < kSpectrumSize; ++row) {
            for (int column = 0; column < kSpectrumSize; ++column) {
                const double re = field.Re(row)[column];
                const double im = field.Im(row)[column];
                power[row][column] += sample.weight * (re * re + im * im);
            }
        }
    }
    for (int row = 0; row < kSpectrumSize; ++row) {
        std::transform(power[row], power[row] + kSpectrumSize, magnitudes[row], [](double p) { return std::sqrt(p); });
    }
}

}  // namespace

void SpectrumOfPsi(const SimulationState& state, RealMatrixT& magnitudes, SpectrumValues values)
{
    magnitudes.Reshape(kSpectrumSize, kSpectrumSize);
    if (state.parameters.wave.PartiallyCoherent()) {
        MixtureMagnitudes(state, magnitudes);
    } else {
        ComplexMatrixT field(kSpectrumSize, kSpectrumSize);
        TransformOfPsi(state, field);
        for (int row = 0; row < kSpectrumSize; ++row) {
            Magnitude(magnitudes[row], field.Re(row), field.Im(row), kSpectrumSize);
        }
    }
    if (values == SpectrumValues::Capped) {
        for (int row = 0; row < kSpectrumSize; ++row) {
            std::transform(magnitudes[row], magnitudes[row] + kSpectrumSize, magnitudes[row],
                           [](double value) { return std::min(value, kSpectrumCap); });
        }
    }
}

}  // namespace nivaro
