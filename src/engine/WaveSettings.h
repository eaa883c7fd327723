#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/TransmissionTable.h"

namespace nivaro {

// Where psi comes from: the closed-form sum of Gaussian slits, or the field
// at the grating sampled finely and propagated by Fourier transforms.
enum class FieldModel : std::uint8_t { Slits, Wave };
// The wave model's transmission at the grating: Gaussian openings (the slit
// sum's field), openings of the slit width with soft edges, a sinusoidal
// phase grating over N periods, or a measured transmission read from a file.
enum class GratingKind : std::uint8_t { Gaussian, Rectangular, Phase, File };
// How the wave model propagates: the paraxial (Fresnel) phase, or the exact
// free-space phase of every plane wave (those that cannot propagate dropped).
enum class Propagator : std::uint8_t { Paraxial, Exact };

struct WaveSettings {
    FieldModel model = FieldModel::Slits;
    GratingKind grating = GratingKind::Gaussian;
    Propagator propagator = Propagator::Paraxial;
    double edgeWidth = 0.0;   // m, rms width of an opening's edges; 0: d / 50
    double phaseDepth = 1.0;  // rad, amplitude of a phase grating's phase
    // The file a measured transmission was read from, and its samples
    // (shared: settings are copied for every run).
    std::string transmissionFile;
    std::shared_ptr<const TransmissionTable> transmission;
    // A partially coherent beam: the density is averaged over a Gaussian
    // spread of wavelengths and of angles of incidence.
    double lambdaSpread = 0.0;  // rms of lambda, relative to lambda
    double sourceWidth = 0.0;   // rad, rms angle of incidence
    int coherenceSamples = 0;   // quadrature points per spread; 0: as many as 1e-6 needs
    // The angle of incidence of one such sample (rad); the wave model's
    // field at the grating carries its transverse phase.
    double tilt = 0.0;

    bool PartiallyCoherent() const { return lambdaSpread > 0.0 || sourceWidth > 0.0; }

    double EdgeWidth(double d) const { return edgeWidth > 0.0 ? edgeWidth : d / 50; }
};

}  // namespace nivaro
