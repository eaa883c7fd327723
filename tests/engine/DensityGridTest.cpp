#include <gtest/gtest.h>

#include <cmath>

#include "EngineTestSupport.h"
#include "engine/DensityGrid.h"
#include "engine/SettingsValidation.h"
#include "engine/WaveFunction.h"

namespace nivaro {
namespace {

void ExpectEveryRowAtItsOwnPosition(SimulationState& state)
{
    RecordingProgress progress;
    ComputeDensityGrid(state, progress);
    const SimulationParameters& parameters = state.parameters;
    const double normalisation = DensityNormalisation(parameters);
    for (int i = 0; i < state.grid.nx; ++i) {
        for (int j = 0; j < state.grid.nz; ++j) {
            const Complex expected = EvaluatePsi(parameters, RowPosition(state, i), ColumnPosition(state, j));
            const double tolerance = 1e-12 * std::abs(expected) + 1e-300;
            ASSERT_NEAR(state.psiField.Re(i)[j], expected.real(), tolerance) << i << "," << j;
            ASSERT_NEAR(state.psiField.Im(i)[j], expected.imag(), tolerance) << i << "," << j;
            ASSERT_NEAR(state.densityField[i][j], std::norm(expected) * normalisation,
                        1e-12 * std::norm(expected) * normalisation + 1e-300)
                << i << "," << j;
        }
    }
}

TEST(DensityGrid, EveryRowHoldsPsiAtItsOwnPositionForEvenAndOddGrids)
{
    for (const int nx : {8, 9, 1, 2}) {
        SimulationState state;
        state.grid.nx = nx;
        state.grid.nz = 5;
        state.parameters.slits = 3;
        state.parameters.z0 = 0.25;
        ASSERT_TRUE(state.scaleX.Parse("1:2"));
        ASSERT_TRUE(state.scaleZ.Parse("3:1"));
        // Stale contents must not survive anywhere, the middle row of an odd grid included.
        state.psiField.Resize(nx, 5);
        state.psiField.Re(nx / 2)[0] = std::nan("");
        SCOPED_TRACE(nx);
        ExpectEveryRowAtItsOwnPosition(state);
    }
}

TEST(DensityGrid, DefaultsGiveTheKnownDensityAtTheGrating)
{
    SimulationState state;
    RecordingProgress progress;
    ComputeDensityGrid(state, progress);
    // Row 150 lies at x = 0, row 175 at x = d / 2, column 0 at z = 0.
    EXPECT_NEAR(state.densityField[150][0], 2 * std::exp(-3.125), 1e-14);
    EXPECT_NEAR(state.densityField[175][0], std::pow(1 + std::exp(-6.25), 2) / 2, 1e-14);
    EXPECT_NEAR(state.densityField[125][0], state.densityField[175][0], 1e-15);
}

TEST(DensityGrid, RefreshesTheDerivedQuantitiesAndReshapesWithoutClearing)
{
    SimulationState state;
    state.grid.nx = 6;
    state.grid.nz = 4;
    state.parameters.z0 = 1.0;
    state.parameters.lambda = 2e-8;
    state.carpetGreen.Resize(6, 4);
    state.carpetGreen[5][3] = 77;
    RecordingProgress progress;
    ComputeDensityGrid(state, progress);
    EXPECT_EQ(state.parameters.zOffset, 2 * 1e-8 * 1e-8 / 2e-8);
    EXPECT_EQ(state.parameters.velocity, 1.054571628e-34 * 2 * 3.141592653589793 / 2e-8 / 9.1095e-31);
    for (const auto* grid : {&state.carpetRed, &state.carpetBlue}) {
        EXPECT_EQ(grid->Rows(), 6);
        EXPECT_EQ(grid->Cols(), 4);
    }
    EXPECT_EQ(state.trajectoryStartGrid.Rows(), 6);
    EXPECT_EQ(state.carpetGreen[5][3], 77) << "an unchanged shape is not cleared";
}

TEST(DensityGrid, ReportsProgressOnlyWhenThePercentageChanges)
{
    SimulationState state;
    state.grid.nx = 4;
    state.grid.nz = 300;
    RecordingProgress progress;
    ComputeDensityGrid(state, progress);
    ASSERT_EQ(progress.reports.size(), 99u) << "0 % equals the starting position and is not shown";
    for (std::size_t k = 0; k < progress.reports.size(); ++k) {
        EXPECT_EQ(progress.reports[k].percent, static_cast<int>(k) + 1);
        EXPECT_EQ(progress.reports[k].kind, ProgressKind::DensityColumns);
        EXPECT_GE(progress.reports[k].elapsedSeconds, 0);
    }
    RecordingProgress again;
    ComputeDensityGrid(state, again);
    EXPECT_EQ(again.reports.size(), 99u);
}

TEST(DensityGrid, StopEndsTheColumnLoopAndKeepsLaterColumns)
{
    SimulationState state;
    state.grid.nx = 4;
    state.grid.nz = 100;
    state.psiField.Resize(4, 100);
    for (int j = 0; j < 100; ++j) {
        state.psiField.Re(0)[j] = -7.0;
    }
    RecordingProgress progress(&state, 10);
    ComputeDensityGrid(state, progress);
    EXPECT_NE(state.psiField.Re(0)[10], -7.0) << "the column that reported 10 % is computed";
    EXPECT_EQ(state.psiField.Re(0)[11], -7.0);
    EXPECT_EQ(state.psiField.Re(0)[99], -7.0);
    EXPECT_EQ(progress.reports.back().percent, 10);
}

TEST(DensityGrid, UnusableSettingsAreRefusedBeforeAnythingChanges)
{
    SimulationState state;
    state.grid.nx = 0;
    RecordingProgress progress;
    EXPECT_THROW(ComputeDensityGrid(state, progress), UnusableSettingsError);
    EXPECT_EQ(state.psiField.Rows(), 300);

    SimulationState large;
    large.grid.nx = large.grid.nz = 20000;
    large.gridMemoryLimit = 1ULL << 30;
    EXPECT_THROW(ComputeDensityGrid(large, progress), UnusableSettingsError);
    EXPECT_EQ(large.densityField.Rows(), 300);
    EXPECT_TRUE(progress.reports.empty());
}

}  // namespace
}  // namespace nivaro
