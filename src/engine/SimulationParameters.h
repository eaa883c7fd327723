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

// Particle presets of the mass list: they set the panel texts, not the records.
struct ParticlePreset {
    const char* name;
    double mass;
    double lambda;
    double d;
    double slitWidth;
    double sigma0;
};

inline constexpr ParticlePreset kParticlePresets[] = {
    {"electron", 9.1095e-31, 1e-8, 1e-8, 1e-8, 2e-9},
    {"neutron", 1.674927e-27, 5e-8, 5e-8, 5e-8, 8e-10},
};

}  // namespace nivaro
