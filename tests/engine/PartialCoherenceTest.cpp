#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/CarpetPass.h"
#include "engine/DensityGrid.h"
#include "engine/PartialCoherence.h"
#include "engine/PathTracer.h"
#include "engine/PhysicalConstants.h"
#include "engine/QuantumPotential.h"
#include "engine/SettingsValidation.h"
#include "engine/SpectrumTransform.h"
#include "engine/TrajectoryEnsemble.h"

namespace nivaro {
namespace {

std::vector<double> DensityOf(SimulationState& state)
{
    SilentProgress progress;
    ComputeDensityGrid(state, progress);
    return {state.densityField.Data(), state.densityField.Data() + state.grid.nx * state.grid.nz};
}

// One Gaussian slit, lambda = 1 nm, over 2 um: the packet spreads to about
// 3 sigma0 while the tilts of a 5 mrad source move it by up to 10 nm.
void UseOneSpreadingSlit(SimulationState& state)
{
    state.parameters.slits = 1;
    state.parameters.lambda = 1e-9;
    state.parameters.sigma0 = 5e-9;
    state.grid.nx = 200;
    state.grid.nz = 100;
    state.grid.dx = 5e-10;
    state.grid.dz = 2e-8;
}

TEST(PartialCoherence, ASourceOfGaussianAnglesBlursOneSlitIntoTheWiderGaussian)
{
    // A tilt moves the paraxial density sideways by z sin(tilt); over
    // Gaussian angles of rms a the slit's Gaussian of rms s(z) becomes one of
    // rms sqrt(s^2 + a^2 z^2), its height falling by s / sqrt(s^2 + a^2 z^2).
    for (const FieldModel model : {FieldModel::Slits, FieldModel::Wave}) {
        SimulationState state;
        UseOneSpreadingSlit(state);
        state.parameters.wave.model = model;
        state.parameters.wave.sourceWidth = 5e-3;
        const std::vector<double> density = DensityOf(state);
        SimulationState coherent;
        UseOneSpreadingSlit(coherent);
        const std::vector<double> sharp = DensityOf(coherent);
        const SimulationParameters& p = state.parameters;
        double largest = 0.0;
        double worst = 0.0;
        for (int j = 0; j < state.grid.nz; ++j) {
            const double z = ColumnPosition(state, j);
            const double t = p.lambda * z / (4 * kPi * p.sigma0 * p.sigma0);
            const double s2 = p.sigma0 * p.sigma0 * (1 + t * t);
            const double blurred2 = s2 + 25e-6 * z * z;
            const double height = sharp[static_cast<std::size_t>(state.grid.nx / 2 * state.grid.nz + j)];
            for (int i = 0; i < state.grid.nx; ++i) {
                const double x = RowPosition(state, i);
                const double expected = height * std::sqrt(s2 / blurred2) * std::exp(-x * x / (2 * blurred2));
                const double value = density[static_cast<std::size_t>(i * state.grid.nz + j)];
                largest = std::max(largest, expected);
                worst = std::max(worst, std::abs(value - expected));
            }
        }
        // sin(tilt) against tilt costs about tilt^2 / 6 of the blur.
        EXPECT_LT(worst, 2e-6 * largest) << "model " << static_cast<int>(model);
    }
}

TEST(PartialCoherence, OneSampleIsTheCoherentRunAndTheFringesFadeAsTheSpreadGrows)
{
    const auto visibilityAtTheTalbotLength = [](double spread, int samples) {
        SimulationState state;
        state.parameters.slits = 9;
        state.parameters.lambda = 1e-10;
        state.parameters.z0 = 1.0;
        state.grid.nz = 16;
        state.parameters.wave.lambdaSpread = spread;
        state.parameters.wave.coherenceSamples = samples;
        SilentProgress progress;
        ComputeDensityGrid(state, progress);
        return FringeVisibility(state, state.densityField.View()).front().visibility;
    };
    const double coherent = visibilityAtTheTalbotLength(0.0, 0);
    EXPECT_EQ(visibilityAtTheTalbotLength(0.05, 1), coherent);
    double previous = coherent;
    for (const double spread : {0.01, 0.03, 0.1}) {
        const double visibility = visibilityAtTheTalbotLength(spread, 0);
        EXPECT_LT(visibility, previous) << "spread " << spread;
        previous = visibility;
    }
    EXPECT_LT(previous, 0.9 * coherent);
}

TEST(PartialCoherence, TheAutomaticCountIsAsGoodAsMany)
{
    SimulationState state;
    state.parameters.slits = 5;
    state.grid.nx = 60;
    state.grid.nz = 60;
    state.parameters.wave.lambdaSpread = 0.05;
    state.parameters.wave.sourceWidth = 0.01;
    const CoherencePoints chosen = CoherenceSampleCounts(state);
    EXPECT_GT(chosen.wavelengths, 1);
    EXPECT_GT(chosen.angles, 1);
    EXPECT_FALSE(chosen.limited);
    const std::vector<double> automatic = DensityOf(state);
    state.parameters.wave.coherenceSamples = std::max(chosen.wavelengths, chosen.angles) + 12;
    const std::vector<double> many = DensityOf(state);
    double largest = 0.0;
    double worst = 0.0;
    for (std::size_t k = 0; k < many.size(); ++k) {
        largest = std::max(largest, many[k]);
        worst = std::max(worst, std::abs(automatic[k] - many[k]));
    }
    EXPECT_LT(worst, 1e-6 * largest);
}

TEST(PartialCoherence, WhatNeedsPsiIsRefusedThePathsLeftOutAndTheSpectrumIsTheMixturesPower)
{
    SimulationState state;
    state.parameters.wave.sourceWidth = 0.01;
    SilentProgress progress;
    EXPECT_THROW(ComputeDensityGrid(state, progress, PsiKept::Whole), UnusableSettingsError);
    ComputeDensityGrid(state, progress);
    EXPECT_THROW(PathTracer(state, ConfiguredTraceMethod(state.grid)), UnusableSettingsError);
    EXPECT_THROW(TraceEnsemble(state, EnsembleSettings{}, progress), UnusableSettingsError);
    RealMatrixT q(0, 0);
    EXPECT_THROW(ComputeQuantumPotential(state, q, progress), UnusableSettingsError);
    RenderCarpet(state, CarpetOptions{}, progress);
    EXPECT_EQ(state.carpetRed.Rows(), state.grid.nx);
    EXPECT_EQ(state.trajectoryStartGrid.Rows(), 0) << "the carpet is drawn without paths";
    // One sample: its power's root is its magnitude.
    state.parameters.wave.lambdaSpread = 0.01;
    state.parameters.wave.sourceWidth = 0.0;
    state.parameters.wave.coherenceSamples = 1;
    RealMatrixT mixture(0, 0);
    SpectrumOfPsi(state, mixture, SpectrumValues::Whole);
    state.parameters.wave.lambdaSpread = 0.0;
    RealMatrixT single(0, 0);
    SpectrumOfPsi(state, single, SpectrumValues::Whole);
    double worst = 0.0;
    for (int row = 0; row < kSpectrumSize; ++row) {
        for (int column = 0; column < kSpectrumSize; ++column) {
            worst = std::max(worst, std::abs(mixture[row][column] - single[row][column]) / (1 + single[row][column]));
        }
    }
    EXPECT_LT(worst, 1e-12);
}

}  // namespace
}  // namespace nivaro
