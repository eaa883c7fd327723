#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <cmath>
#include <vector>

#include "AllocationBudget.h"
#include "EngineTestSupport.h"
#include "engine/DensityGrid.h"
#include "engine/DensityKernel.h"
#include "engine/SettingsValidation.h"
#include "engine/WaveFunction.h"

namespace nivaro {
namespace {

void ExpectEveryRowAtItsOwnPosition(SimulationState& state)
{
    RecordingProgress progress;
    ComputeDensityGrid(state, progress, PsiKept::Whole);
    const SimulationParameters& parameters = state.parameters;
    const double normalisation = DensityNormalisation(parameters);
    for (int i = 0; i < state.grid.nx; ++i) {
        for (int j = 0; j < state.grid.nz; ++j) {
            const Complex expected = EvaluatePsi(parameters, RowPosition(state, i), ColumnPosition(state, j));
            const double tolerance = 1e-12 * std::abs(expected) + 1e-300;
            ASSERT_NEAR(state.psiField[i][j].real(), expected.real(), tolerance) << i << "," << j;
            ASSERT_NEAR(state.psiField[i][j].imag(), expected.imag(), tolerance) << i << "," << j;
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
        state.psiField[nx / 2][0] = std::nan("");
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

TEST(DensityGrid, RefreshesTheDerivedQuantitiesAndAllocatesOnlyWhatTheRunKeeps)
{
    SimulationState state;
    state.grid.nx = 6;
    state.grid.nz = 4;
    state.parameters.z0 = 1.0;
    state.parameters.lambda = 2e-8;
    RecordingProgress progress;
    ComputeDensityGrid(state, progress, PsiKept::Whole);
    EXPECT_EQ(state.parameters.zOffset, 2 * 1e-8 * 1e-8 / 2e-8);
    EXPECT_EQ(state.parameters.velocity, 1.054571628e-34 * 2 * 3.141592653589793 / 2e-8 / 9.1095e-31);
    EXPECT_EQ(state.psiField.Rows(), 6);
    const double* density = state.densityField.Data();
    ComputeDensityGrid(state, progress, PsiKept::None);
    EXPECT_EQ(state.densityField.Data(), density) << "an unchanged shape reuses its block";
    EXPECT_EQ(state.psiField.Rows(), 0) << "psi of the earlier run is freed";
    for (const auto* grid : {&state.carpetRed, &state.carpetGreen, &state.carpetBlue}) {
        EXPECT_EQ(grid->Rows(), 0) << "the carpet pass allocates its own planes";
    }
    EXPECT_EQ(state.trajectoryStartGrid.Rows(), 0);
}

TEST(DensityGrid, ReportsProgressInColumnOrderOncePerChangedPercentage)
{
    for (const int threads : {1, 2}) {
        SimulationState state;
        state.threads = threads;
        state.grid.nx = 4;
        state.grid.nz = 300;
        RecordingProgress progress;
        ComputeDensityGrid(state, progress);
        std::vector<int> tileEnds;  // the percent each finished run of tiles can report
        for (int column = kDensityTileColumns; column < 300 + kDensityTileColumns; column += kDensityTileColumns) {
            tileEnds.push_back((std::min(column, 300) - 1) * 100 / 300);
        }
        if (threads == 1) {
            EXPECT_EQ(progress.reports.size(), tileEnds.size()) << "one report per finished tile";
        }
        int previous = 0;
        for (const ProgressReport& report : progress.reports) {
            EXPECT_GT(report.percent, previous) << "in column order, each percentage once";
            EXPECT_NE(std::find(tileEnds.begin(), tileEnds.end(), report.percent), tileEnds.end()) << report.percent;
            EXPECT_EQ(report.kind, ProgressKind::DensityColumns);
            EXPECT_GE(report.elapsedSeconds, 0);
            previous = report.percent;
        }
        EXPECT_EQ(progress.reports.back().percent, 99);
    }
}

TEST(DensityGrid, StopEndsTheComputationAfterTheTileThatReported)
{
    SimulationState state;
    state.threads = 1;
    state.grid.nx = 4;
    state.grid.nz = 100;
    state.densityField.Resize(4, 100);
    for (int j = 0; j < 100; ++j) {
        state.densityField[0][j] = -7.0;
    }
    const int firstPercent = (kDensityTileColumns - 1) * 100 / 100;
    RecordingProgress progress(&state, firstPercent);
    ComputeDensityGrid(state, progress);
    EXPECT_NE(state.densityField[0][kDensityTileColumns - 1], -7.0) << "the tile that reported is computed";
    EXPECT_EQ(state.densityField[0][kDensityTileColumns], -7.0);
    EXPECT_EQ(state.densityField[0][99], -7.0);
    EXPECT_EQ(progress.reports.back().percent, firstPercent);
}

TEST(DensityGrid, TheGridDoesNotDependOnTheNumberOfThreads)
{
    SimulationState one;
    one.threads = 1;
    one.grid.nx = 37;
    one.grid.nz = 101;
    one.parameters.slits = 5;
    SimulationState three;
    three.threads = 3;
    three.grid = one.grid;
    three.parameters = one.parameters;
    RecordingProgress progress;
    ComputeDensityGrid(one, progress, PsiKept::Whole);
    ComputeDensityGrid(three, progress, PsiKept::Whole);
    for (int i = 0; i < 37; ++i) {
        for (int j = 0; j < 101; ++j) {
            ASSERT_EQ(one.densityField[i][j], three.densityField[i][j]) << i << "," << j;
            ASSERT_EQ(one.psiField[i][j], three.psiField[i][j]) << i << "," << j;
        }
    }
}

// psi by the definition, every slit term by its own exponential in extended
// precision, from the column's A(z) and F(z).
ExtendedComplex DirectPsi(const SimulationState& state, int row, int column)
{
    const SimulationParameters& p = state.parameters;
    const ColumnCoefficients coefficients = ComputeColumnCoefficients(p, ColumnPosition(state, column));
    const ExtendedComplex a(coefficients.gaussExponent.real(), coefficients.gaussExponent.imag());
    const long double x = (row - state.grid.nx * 0.5L) * state.grid.dx / state.scaleX.Factor();
    ExtendedComplex sum{0.0L, 0.0L};
    for (int k = 0; k < p.slits; ++k) {
        const long double u = x - (p.slits - 1) * 0.5L * p.d + k * static_cast<long double>(p.d);
        sum += Exp(a * (u * u));
    }
    return ExtendedComplex(coefficients.columnFactor.real(), coefficients.columnFactor.imag()) * sum;
}

TEST(DensityGrid, EqualsTheDirectEvaluationInExtendedPrecision)
{
    struct Setting {
        const char* name;
        int slits;
        double sigma0;
        double z0;
        const char* scaleX;
        const char* scaleZ;
        int nx;
        int nz;
    };
    const Setting settings[] = {
        {"defaults, odd nx", 2, 2e-9, 0.0, "1:1", "1:1", 301, 40},
        {"one slit", 1, 2e-9, 0.0, "1:1", "1:1", 300, 40},
        {"41 slits", 41, 2e-9, 0.0, "1:1", "1:1", 300, 40},
        {"far from the grating", 7, 2e-9, 40.0, "1:1", "1:1", 300, 40},
        {"magnified and compressed", 5, 2e-9, 0.3, "3:1", "1:4", 257, 40},
        {"sigma0 comparable to d", 9, 8e-9, 0.1, "1:1", "1:1", 300, 40},
        {"slits a row wide", 3, 1.5e-10, 0.0, "1:1", "1:1", 300, 20},
        {"slits much narrower than a row", 3, 1e-10, 0.0, "1:1", "1:1", 300, 20},
    };
    for (const Setting& setting : settings) {
        SCOPED_TRACE(setting.name);
        SimulationState state;
        state.parameters.slits = setting.slits;
        state.parameters.sigma0 = setting.sigma0;
        state.parameters.z0 = setting.z0;
        ASSERT_TRUE(state.scaleX.Parse(setting.scaleX));
        ASSERT_TRUE(state.scaleZ.Parse(setting.scaleZ));
        state.grid.nx = setting.nx;
        state.grid.nz = setting.nz;
        RecordingProgress progress;
        ComputeDensityGrid(state, progress);

        const long double normalisation = DensityNormalisation(state.parameters);
        std::vector<long double> expected(static_cast<std::size_t>(setting.nx) * setting.nz);
        long double maximum = 0.0L;
        for (int i = 0; i < setting.nx; ++i) {
            for (int j = 0; j < setting.nz; ++j) {
                const long double value = std::norm(DirectPsi(state, i, j)) * normalisation;
                expected[static_cast<std::size_t>(i) * setting.nz + j] = value;
                maximum = std::max(maximum, value);
            }
        }
        for (int i = 0; i < setting.nx; ++i) {
            for (int j = 0; j < setting.nz; ++j) {
                const long double want = expected[static_cast<std::size_t>(i) * setting.nz + j];
                const long double error = std::abs(state.densityField[i][j] - want);
                ASSERT_LE(error, 1e-13L * maximum) << i << "," << j;
                if (want > 1e-6L * maximum) {
                    ASSERT_LE(error, 1e-10L * want) << i << "," << j;
                }
            }
        }
    }
}

TEST(DensityGrid, ADensityOnlyRunHoldsTheDensityAndNoWholePsi)
{
    SimulationState state;
    state.threads = 2;
    state.grid.nx = state.grid.nz = 1000;
    const long long densityBytes = 1000LL * 1000LL * 8;
    RecordingProgress progress;
    {
        // The density, the slack of its 2 MiB alignment, and a little for the
        // column coefficients and the threads.
        const AllocationBudget budget(densityBytes + (5LL << 20));
        ComputeDensityGrid(state, progress, PsiKept::None);
        EXPECT_EQ(state.densityField.Rows(), 1000);
        EXPECT_EQ(state.psiField.Rows(), 0);
    }
    state.densityField.Reshape(0, 0);
    {
        const AllocationBudget budget(densityBytes + (5LL << 20));
        EXPECT_THROW(ComputeDensityGrid(state, progress, PsiKept::Whole), std::bad_alloc);
    }
    EXPECT_EQ(state.psiField.Rows(), 0) << "no psi is left without its density";
}

TEST(DensityGrid, APsiBlockHoldsTheWholeGridsValuesBitForBit)
{
    for (const int nx : {300, 301, 100}) {
        SimulationState state;
        state.grid.nx = nx;
        state.grid.nz = 270;
        state.parameters.slits = 5;
        RecordingProgress progress;
        ComputeDensityGrid(state, progress, PsiKept::Whole);
        ComplexGrid block(0, 0);
        ComputePsiBlock(state, 256, 256, block);
        ASSERT_EQ(block.Rows(), std::min(nx, 256));
        ASSERT_EQ(block.Cols(), 256);
        for (int i = 0; i < block.Rows(); ++i) {
            for (int j = 0; j < block.Cols(); ++j) {
                ASSERT_EQ(block[i][j], state.psiField[i][j]) << nx << ": " << i << "," << j;
            }
        }
    }
}

TEST(DensityGrid, UnusableSettingsAreRefusedBeforeAnythingChanges)
{
    SimulationState state;
    RecordingProgress progress;
    ComputeDensityGrid(state, progress);
    progress.reports.clear();
    state.grid.nx = 0;
    EXPECT_THROW(ComputeDensityGrid(state, progress), UnusableSettingsError);
    EXPECT_EQ(state.densityField.Rows(), 300);

    SimulationState large;
    large.grid.nx = large.grid.nz = 20000;
    large.gridMemoryLimit = 1ULL << 30;
    EXPECT_THROW(ComputeDensityGrid(large, progress), UnusableSettingsError);
    EXPECT_EQ(large.densityField.Rows(), 0);
    EXPECT_TRUE(progress.reports.empty());
}

}  // namespace
}  // namespace nivaro
