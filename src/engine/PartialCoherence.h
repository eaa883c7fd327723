#pragma once

#include <vector>

#include "engine/SimulationState.h"

namespace nivaro {

// Quadrature points per spread beyond which the count is not raised.
inline constexpr int kMostCoherenceSamples = 64;
// The accuracy, relative to the density's largest value, that the
// automatic count aims at.
inline constexpr double kCoherenceAccuracy = 1e-6;

// One wavelength and angle of incidence of a partially coherent beam.
struct CoherenceSample {
    double lambda;  // m
    double tilt;    // rad
    double weight;  // the weights of a quadrature sum to 1
};

// Points per spread: the configured count, or the fewest for which
// Gauss-Hermite quadrature of the fastest phase the spread moves (phase
// rad per standard deviation) is accurate to kCoherenceAccuracy, at most
// kMostCoherenceSamples; 1 without a spread.
struct CoherencePoints {
    int wavelengths = 1;
    int angles = 1;
    bool limited = false;  // the automatic count hit kMostCoherenceSamples

    int Total() const { return wavelengths * angles; }
};
CoherencePoints CoherenceSampleCounts(const SimulationState& state);

// The product quadrature over Gaussian wavelengths and angles of incidence;
// a single sample of weight 1 for a coherent beam. Wavelengths that the
// spread would make negative carry weights below 1e-20 (the spread is at
// most 0.1) and are left out, the rest renormalised.
std::vector<CoherenceSample> CoherenceQuadrature(const SimulationState& state);

// The state's parameters as one sample has them, for as long as it lives:
// the wavelength and tilt replaced, the window kept at the same distance
// in metres, and a tilted slit model propagated as the wave model's
// Gaussian openings (the same field, to 1e-9), which can carry the tilt.
class SampleParameters {
public:
    SampleParameters(SimulationState& state, const CoherenceSample& sample);
    ~SampleParameters();
    SampleParameters(const SampleParameters&) = delete;
    SampleParameters& operator=(const SampleParameters&) = delete;

private:
    SimulationState& state_;
    SimulationParameters saved_;
};

// The fringe visibility (max - min) / (max + min) of each column within one
// period around the axis (|x| <= d / 2), with z in m.
struct VisibilityPoint {
    double z;
    double visibility;  // NaN where the period holds no density
};
// Throws UnusableSettingsError when the window holds fewer than three rows
// of that period.
std::vector<VisibilityPoint> FringeVisibility(const SimulationState& state, const GridView<const double>& density);

}  // namespace nivaro
