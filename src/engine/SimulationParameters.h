#pragma once

#include "engine/WaveSettings.h"

namespace nivaro {

// The physical inputs, SI units throughout. momentum, velocity and zOffset
// are derived; the grid computation refreshes them before it starts.
struct SimulationParameters {
    int slits = 2;
    double mass = 9.1095e-31;
    double lambda = 1e-8;
    double d = 1e-8;
    double slitWidth = 1e-8;
    double sigma0 = 2e-9;
    double z0 = 0.0;  // in Talbot lengths
    WaveSettings wave;

    double momentum = 0.0;
    double velocity = 0.0;
    double zOffset = 0.0;

    SimulationParameters() { UpdateMomentumAndVelocity(); }

    double TalbotLength() const { return 2 * d * d / lambda; }

    // p = h / lambda, then v = p / m.
    void UpdateMomentumAndVelocity();
    // zoff, p, v in this order, as every density computation does.
    void UpdateDerived();
};

// Particle presets of the mass list: they set the panel texts, not the
// records, and where they name scales, the scales too (the first two keep
// the scales in effect). The last three lie well inside the paraxial regime
// and show one and a half Talbot lengths on the default grid.
struct ParticlePreset {
    const char* name;
    double mass;
    double lambda;
    double d;
    double slitWidth;
    double sigma0;
    const char* scaleX = nullptr;
    const char* scaleZ = nullptr;
};

inline constexpr ParticlePreset kParticlePresets[] = {
    {"electron", 9.1095e-31, 1e-8, 1e-8, 1e-8, 2e-9},
    {"neutron", 1.674927e-27, 5e-8, 5e-8, 5e-8, 8e-10},
    // 10 keV (lambda with the relativistic correction), a 100 nm grating.
    {"electron 10 keV, 100 nm", 9.1095e-31, 1.2204e-11, 1e-7, 5e-8, 2e-8, "1:5", "1:41000"},
    // lambda = 1 nm, a 1 um grating.
    {"cold neutron, 1 um", 1.674927e-27, 1e-9, 1e-6, 5e-7, 2e-7, "1:50", "1:50000"},
    // 70 carbon atoms (840.8 u) at 100 m/s: lambda = h / (m v), a 1 um grating.
    {"C70 at 100 m/s, 1 um", 1.396e-24, 4.7465e-12, 1e-6, 5e-7, 2e-7, "1:50", "1:10500000"},
};

}  // namespace nivaro
