#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "EngineTestSupport.h"
#include "engine/DensityGrid.h"
#include "engine/PhysicalConstants.h"
#include "engine/QuantumPotential.h"
#include "engine/SettingsValidation.h"
#include "engine/TrajectoryEnsemble.h"

namespace nivaro {
namespace {

// Starts drawn like |psi|^2 stay distributed like |psi|^2: the histogram at
// the last column against |psi|^2 there (the statistical noise alone is
// about 0.01 with 100000 trajectories in 50 bins). Left out under the thread
// sanitizer, whose slowness it would only measure; the paths' independence
// of the threads is tested below.
TEST(Ensemble, PositionsStayDistributedLikeTheDensity)
{
    struct Case {
        const char* name;
        int slits;
        const char* zScale;
    };
    for (const Case& c : {Case{"two slits, three Talbot lengths", 2, "1:1"}, Case{"five slits, half a Talbot length", 5, "6:1"}}) {
        SimulationState state;
        state.parameters.slits = c.slits;
        state.grid.step = GridSettings::kConfiguredStep;  // a whole column: the last one is reached by extrapolation
        ASSERT_TRUE(state.scaleZ.Parse(c.zScale));
        SilentProgress progress;
        const Ensemble ensemble = TraceEnsemble(state, {100000, 1}, progress);
        const EnsembleHistogram histogram = HistogramAt(state, ensemble, state.grid.nz - 1, kDefaultHistogramBins);
        EXPECT_LT(histogram.totalVariation, 0.03) << c.name;
        EXPECT_GT(histogram.counted, 80000) << c.name;
        EXPECT_EQ(histogram.stopped, 0) << c.name;
        EXPECT_EQ(histogram.counted + histogram.leftGrid, 100000) << c.name;
        // The paths that escape the grid, as many as |psi|^2 puts outside it.
        const double p = histogram.outsideWeight;
        EXPECT_NEAR(histogram.escapedShare, p, 3 * std::sqrt(p * (1 - p) / 100000)) << c.name;
        EXPECT_LT(histogram.wholeLineVariation, 0.03) << c.name;
        std::printf("%s: total variation %.4f, %lld counted, %lld left, %lld stopped; escaped %.5f, outside %.5f\n",
                    c.name, histogram.totalVariation, histogram.counted, histogram.leftGrid, histogram.stopped,
                    histogram.escapedShare, histogram.outsideWeight);
    }
}

// |psi|^2 outside the grid, against the spreading Gaussian of one slit whose
// variance is sigma0^2 + t(z)^2.
TEST(Ensemble, TheWeightOutsideTheGridIsTheGaussianTail)
{
    SimulationState state;
    state.parameters.slits = 1;
    state.parameters.UpdateDerived();
    SilentProgress progress;
    const Ensemble ensemble = TraceEnsemble(state, {1000, 1}, progress);
    for (const int column : {0, 150, 299}) {
        const EnsembleHistogram histogram = HistogramAt(state, ensemble, column, 20);
        const double z = ColumnPosition(state, column);
        const double t = state.parameters.lambda * z / (kFourPi * state.parameters.sigma0);
        const double width = std::sqrt(2 * (state.parameters.sigma0 * state.parameters.sigma0 + t * t));
        const double expected = 0.5 * std::erfc(-RowPosition(state, 0) / width) +
                                0.5 * std::erfc(RowPosition(state, state.grid.nx - 1) / width);
        EXPECT_NEAR(histogram.outsideWeight, expected, 1e-6) << column;
    }
}

TEST(Ensemble, TheSameSeedGivesTheSamePathsOnAnyNumberOfThreads)
{
    SimulationState one;
    one.threads = 1;
    SimulationState two;
    two.threads = 2;
    SilentProgress progress;
    for (const Integrator integrator : {Integrator::Adaptive, Integrator::Euler}) {
        const Ensemble a = TraceEnsemble(one, {500, 7, integrator}, progress);
        const Ensemble b = TraceEnsemble(two, {500, 7, integrator}, progress);
        EXPECT_EQ(a.startRows, b.startRows);
        ASSERT_EQ(a.rows.size(), b.rows.size());
        EXPECT_EQ(std::memcmp(a.rows.data(), b.rows.data(), a.rows.size() * sizeof(float)), 0);
    }
    const Ensemble a = TraceEnsemble(one, {500, 7}, progress);
    EXPECT_NE(SampleStartRows(one, {500, 8}), a.startRows) << "another seed, other starts";
    for (const double row : a.startRows) {
        ASSERT_GE(row, 0.0);
        ASSERT_LE(row, one.grid.nx - 1.0);
    }
}

TEST(Ensemble, CountsColumnsBinsAndMemoryAreCheckedBeforeTracing)
{
    SimulationState state;
    SilentProgress progress;
    EXPECT_THROW(TraceEnsemble(state, {0, 1}, progress), UnusableSettingsError);
    EXPECT_THROW(TraceEnsemble(state, {kLargestEnsemble + 1, 1}, progress), UnusableSettingsError);
    state.gridMemoryLimit = EnsembleBytes(kLargestEnsemble, state.grid.nz) - 1;
    try {
        TraceEnsemble(state, {kLargestEnsemble, 1}, progress);
        ADD_FAILURE() << "an ensemble beyond the memory limit was traced";
    } catch (const UnusableSettingsError& error) {
        EXPECT_NE(std::string(error.what()).find("ensemble=1000000: its paths would need 1209 MB"), std::string::npos)
            << error.what();
    }
    state.gridMemoryLimit = ~0ULL;
    const Ensemble ensemble = TraceEnsemble(state, {10, 1}, progress);
    EXPECT_THROW(HistogramAt(state, ensemble, state.grid.nz, 50), UnusableSettingsError);
    EXPECT_THROW(HistogramAt(state, ensemble, -1, 50), UnusableSettingsError);
    EXPECT_THROW(HistogramAt(state, ensemble, 0, 0), UnusableSettingsError);
    const EnsembleHistogram first = HistogramAt(state, ensemble, 0, 5);
    EXPECT_EQ(first.counted, 10);
    EXPECT_EQ(first.centres.size(), 5u);

    // One path: its bins span one row about it, and the density stays finite.
    const EnsembleHistogram lone = HistogramAt(state, TraceEnsemble(state, {1, 1}, progress), state.grid.nz - 1, 50);
    EXPECT_EQ(lone.counted, 1);
    EXPECT_NEAR(lone.binWidth * 50, state.grid.dx, 1e-20);
    EXPECT_TRUE(std::all_of(lone.density.begin(), lone.density.end(), [](double d) { return std::isfinite(d) && d < 1e12; }));
}

// For one slit R is a Gaussian in x: R'' / R = 2 a + 4 a^2 x^2 with
// a = -1 / (4 (sigma0^2 + t^2)), t = lambda z / (4 pi sigma0).
TEST(QuantumPotential, OneSlitMatchesTheSpreadingGaussian)
{
    SimulationState state;
    state.parameters.slits = 1;
    SilentProgress progress;
    RealMatrixT q(1, 1);
    ComputeQuantumPotential(state, q, progress);
    const SimulationParameters& p = state.parameters;
    int compared = 0;
    for (int j = 0; j < state.grid.nz; j += 7) {
        const double z = j * state.grid.dz + p.zOffset;
        const double t = p.lambda * z / (kFourPi * p.sigma0);
        const double a = -1 / (4 * (p.sigma0 * p.sigma0 + t * t));
        for (int i = 0; i < state.grid.nx; i += 3) {
            const double x = (i - state.grid.nx / 2) * state.grid.dx;
            const double expected = -kHbar * kHbar / (2 * p.mass) * (2 * a + 4 * a * a * x * x) / kElectronVolt;
            if (std::exp(a * x * x) > 1e-6) {
                ASSERT_NEAR(q[i][j], expected, 1e-9 * std::abs(expected)) << i << ", " << j;
                ++compared;
            }
        }
    }
    EXPECT_GT(compared, 1000);
    EXPECT_TRUE(std::isnan(q[0][0])) << "far from the slit at the entrance R is below the floor: no value";
}

// The grid's outward sums against the direct evaluation, slit by slit.
TEST(QuantumPotential, TheGridAgreesWithTheDirectEvaluation)
{
    SimulationState state;
    state.parameters.slits = 20;
    state.grid.nx = 400;
    state.grid.nz = 120;
    SilentProgress progress;
    RealMatrixT q(1, 1);
    ComputeQuantumPotential(state, q, progress);
    SimulationParameters p = state.parameters;
    p.UpdateDerived();
    double worst = 0;
    int valued = 0;
    for (int i = 0; i < state.grid.nx; ++i) {
        for (int j = 0; j < state.grid.nz; ++j) {
            if (std::isnan(q[i][j])) {
                continue;
            }
            ++valued;
            const double direct = QuantumPotentialAt(p, RowPosition(state, i), ColumnPosition(state, j));
            worst = std::max(worst, std::abs(q[i][j] - direct) / std::abs(direct));
        }
    }
    EXPECT_GT(valued, state.grid.nx * state.grid.nz / 2);
    EXPECT_LT(worst, 1e-9);
    std::printf("largest relative difference %.3g over %d points\n", worst, valued);
}

// Streamed a block of columns at a time (the last block narrower), Q holds
// the whole grid's values bit for bit, its NaN where R is below the floor
// included, and every column is written once.
TEST(QuantumPotential, AStreamedGridEqualsTheWholeOne)
{
    SimulationState state;
    state.parameters.slits = 3;
    state.grid.nx = 600;
    state.grid.nz = 70;
    SilentProgress progress;
    RealMatrixT whole(0, 0);
    ComputeQuantumPotential(state, whole, progress);
    RealMatrixT streamed(600, 70);
    std::vector<int> written(70, 0);
    StreamQuantumPotential(state, progress, 32, [&](int first, const GridView<const double>& block) {
        for (int i = 0; i < block.rows; ++i) {
            std::copy_n(block.Row(i), block.cols, streamed[i] + first);
        }
        for (int j = first; j < first + block.cols; ++j) {
            ++written[static_cast<std::size_t>(j)];
        }
    });
    EXPECT_EQ(written, std::vector<int>(70, 1));
    EXPECT_EQ(std::memcmp(streamed.Data(), whole.Data(), whole.Size() * sizeof(double)), 0);
    const long undefined = std::count_if(whole.Data(), whole.Data() + whole.Size(), [](double q) { return std::isnan(q); });
    EXPECT_GT(undefined, 0) << "the floor is tested too";
}

}  // namespace
}  // namespace nivaro
