#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "engine/DensityGrid.h"
#include "engine/PathTracer.h"
#include "engine/PhysicalConstants.h"
#include "engine/QuantumPotential.h"
#include "engine/RunDocument.h"
#include "engine/SettingsValidation.h"
#include "engine/VelocityKernel.h"
#include "engine/WaveFunction.h"
#include "engine/WaveModel.h"
#include "engine/WaveVelocity.h"
#include "engine/WorkEstimate.h"
#include "FresnelReference.h"

namespace nivaro {
namespace {

void UseSlits(SimulationState& state, int slits, int nx, int nz)
{
    state.parameters.slits = slits;
    state.grid.nx = nx;
    state.grid.nz = nz;
    state.parameters.UpdateDerived();
}

// The slit model's settings, and the same with psi from the wave model's
// Gaussian grating.
struct Twins {
    Twins(int slitCount, int nx, int nz)
    {
        UseSlits(slits, slitCount, nx, nz);
        CopySettings(slits, wave);
        wave.parameters.wave.model = FieldModel::Wave;
        wave.parameters.UpdateDerived();
    }
    SimulationState slits;
    SimulationState wave;
};

void ComputeQuantumPotential(const SimulationState& state, RealMatrixT& q)
{
    SilentProgress progress;
    ComputeQuantumPotential(state, q, progress);
}

// Against the slit sum's closed form where Q has a value, the entrance's
// narrow slits and several spreading ones alike.
TEST(WaveQuantumPotential, GaussianOpeningsGiveTheSlitSumsQ)
{
    const Twins twins(7, 300, 90);
    const SimulationState& slits = twins.slits;
    RealMatrixT q(0, 0);
    ComputeQuantumPotential(twins.wave, q);
    double worst = 0.0;
    int valued = 0;
    for (int i = 0; i < 300; ++i) {
        for (int j = 0; j < 90; ++j) {
            if (std::isnan(q[i][j])) {
                continue;
            }
            ++valued;
            const double direct = QuantumPotentialAt(slits.parameters, RowPosition(slits, i), ColumnPosition(slits, j));
            worst = std::max(worst, std::abs(q[i][j] - direct) / std::abs(direct));
        }
    }
    EXPECT_GT(valued, 300 * 90 / 2);
    EXPECT_LT(worst, 1e-7);
    std::printf("largest relative difference %.3g over %d points\n", worst, valued);
}

// Five soft-edged openings of electrons at lambda / d = 0.01, the window
// a twentieth of a Talbot length behind the grating.
void UseRectangularOpenings(SimulationState& state, int nx, int nz)
{
    state.parameters.slits = 5;
    state.parameters.lambda = 1e-10;
    state.parameters.d = 1e-8;
    state.parameters.slitWidth = 4e-9;
    state.parameters.z0 = 0.05;
    state.parameters.wave.model = FieldModel::Wave;
    state.parameters.wave.grating = GratingKind::Rectangular;
    state.grid.nx = nx;
    state.grid.nz = nz;
    state.parameters.UpdateDerived();
}

// Soft-edged openings against psi, psi' and psi'' summed plane wave by
// plane wave, where |psi| is at least 1e-3 of its largest value.
TEST(WaveQuantumPotential, RectangularOpeningsFollowTheFresnelIntegral)
{
    SimulationState state;
    UseRectangularOpenings(state, 400, 1);
    RealMatrixT q(0, 0);
    ComputeQuantumPotential(state, q);
    const SimulationParameters& p = state.parameters;
    const double z = ColumnPosition(state, 0);
    std::vector<std::complex<double>> psi;
    double largest = 0.0;
    for (int row = 0; row < 400; row += 7) {
        psi.push_back(FresnelPsi(p, RowPosition(state, row), z));
        largest = std::max(largest, std::abs(psi.back()));
    }
    int compared = 0;
    for (int row = 0; row < 400; row += 7) {
        const double x = RowPosition(state, row);
        const std::complex<double> value = psi[static_cast<std::size_t>(row / 7)];
        if (std::abs(value) < 1e-3 * largest) {
            continue;
        }
        const std::complex<double> slope = FresnelPsi(p, x, z, 1) / value;
        const std::complex<double> curvature = FresnelPsi(p, x, z, 2) / value;
        const double expected = -kHbar * kHbar / (2 * p.mass) * (curvature.real() + slope.imag() * slope.imag()) /
                                kElectronVolt;
        EXPECT_NEAR(q[row][0], expected, 1e-6 * std::abs(expected)) << row;
        ++compared;
    }
    EXPECT_GT(compared, 20);
}

TEST(WaveQuantumPotential, AStreamedGridEqualsTheWholeOneOnAnyNumberOfThreads)
{
    Twins twins(3, 200, 45);
    SimulationState& state = twins.wave;
    RealMatrixT whole(0, 0);
    ComputeQuantumPotential(state, whole);
    for (const int threads : {1, 3}) {
        state.threads = threads;
        SilentProgress progress;
        RealMatrixT streamed(200, 45);
        StreamQuantumPotential(state, progress, 13, [&](int first, const GridView<const double>& block) {
            for (int i = 0; i < block.rows; ++i) {
                std::copy_n(block.Row(i), block.cols, streamed[i] + first);
            }
        });
        EXPECT_EQ(std::memcmp(streamed.Data(), whole.Data(), whole.Size() * sizeof(double)), 0) << threads;
    }
}

// The table's interpolation against the slit sum's closed form at random
// points between the samples, where the density is at least 1e-4 of its
// largest value there: relative to the velocity's scale hbar / (m sigma0).
TEST(WaveVelocity, GaussianOpeningsGiveTheSlitSumsVelocities)
{
    const Twins twins(5, 300, 300);
    const SimulationState& slits = twins.slits;
    const WaveVelocityTable table(twins.wave);
    const VelocityKernelInput kernel(slits);
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> column(0.0, 300.0);
    std::uniform_real_distribution<double> row(-2.5, 301.5);
    std::vector<double> columns(20000);
    std::vector<double> rows(columns.size());
    for (std::size_t k = 0; k < columns.size(); ++k) {
        columns[k] = column(random);
        rows[k] = row(random);
    }
    std::vector<double> expected(columns.size());
    std::vector<double> interpolated(columns.size());
    ComputeBohmVelocities(kernel, columns.data(), rows.data(), columns.size(), expected.data());
    table.Compute(columns.data(), rows.data(), columns.size(), interpolated.data());
    const double scale = kHbar / (slits.parameters.mass * slits.parameters.sigma0);
    // The density's peak in each column, which hardly changes within one.
    std::vector<double> peaks(301, 0.0);
    for (int j = 0; j <= 300; ++j) {
        for (int i = 0; i < 300; ++i) {
            const double density = std::norm(EvaluatePsi(slits.parameters, RowPosition(slits, i), ColumnPosition(slits, j)));
            peaks[static_cast<std::size_t>(j)] = std::max(peaks[static_cast<std::size_t>(j)], density);
        }
    }
    double worst = 0.0;
    int compared = 0;
    for (std::size_t k = 0; k < columns.size(); ++k) {
        const double z = ColumnPosition(slits, columns[k]);
        const double x = RowPosition(slits, rows[k]);
        const double density = std::norm(EvaluatePsi(slits.parameters, x, z));
        if (density < 1e-4 * peaks[static_cast<std::size_t>(std::lround(columns[k]))]) {
            continue;
        }
        ++compared;
        worst = std::max(worst, std::abs(interpolated[k] - expected[k]) / scale);
    }
    EXPECT_GT(compared, 5000);
    EXPECT_LT(worst, 2e-5);
    std::printf("largest difference %.3g of hbar / (m sigma0) over %d points\n", worst, compared);
}

// Between the rows of a grid coarser than the edges, where the table holds
// several fine points a row, against psi and psi' summed plane wave by
// plane wave; where |psi| is at least 1e-2 of its largest value, relative
// to the largest velocity there.
TEST(WaveVelocity, RectangularOpeningsFollowTheFresnelIntegralBetweenTheRows)
{
    SimulationState state;
    UseRectangularOpenings(state, 100, 4);
    ASSERT_GT(WaveRowStride(state), 2.0);
    const WaveVelocityTable table(state);
    std::mt19937_64 random(3);
    std::uniform_real_distribution<double> column(0.0, 3.0);
    std::uniform_real_distribution<double> row(0.0, 99.0);
    std::vector<double> columns(60);
    std::vector<double> rows(columns.size());
    std::vector<std::complex<double>> psi(columns.size());
    std::vector<double> expected(columns.size());
    double largestPsi = 0.0;
    const SimulationParameters& p = state.parameters;
    for (std::size_t k = 0; k < columns.size(); ++k) {
        columns[k] = column(random);
        rows[k] = row(random);
        const double x = RowPosition(state, rows[k]);
        const double z = ColumnPosition(state, columns[k]);
        psi[k] = FresnelPsi(p, x, z);
        expected[k] = -kHbar / p.mass * (FresnelPsi(p, x, z, 1) / psi[k]).imag();
        largestPsi = std::max(largestPsi, std::abs(psi[k]));
    }
    std::vector<double> interpolated(columns.size());
    table.Compute(columns.data(), rows.data(), columns.size(), interpolated.data());
    double scale = 0.0;
    double worst = 0.0;
    for (std::size_t k = 0; k < columns.size(); ++k) {
        if (std::abs(psi[k]) >= 1e-2 * largestPsi) {
            scale = std::max(scale, std::abs(expected[k]));
            worst = std::max(worst, std::abs(interpolated[k] - expected[k]));
        }
    }
    EXPECT_LT(worst, 1e-4 * scale);
    std::printf("largest difference %.3g of the largest velocity\n", worst / scale);
}

// With the exact propagator (z derivatives from kz itself): half-way
// between columns against the columns of a grid twice as fine in z, where
// the table holds its values unmixed.
TEST(WaveVelocity, TheExactPropagatorsTableAgreesHalfWayBetweenColumns)
{
    SimulationState coarse;
    UseRectangularOpenings(coarse, 120, 20);
    coarse.parameters.wave.propagator = Propagator::Exact;
    SimulationState fine;
    CopySettings(coarse, fine);
    fine.grid.nz = 39;
    fine.grid.dz = coarse.grid.dz / 2;
    fine.parameters.UpdateDerived();
    const WaveVelocityTable coarseTable(coarse);
    const WaveVelocityTable fineTable(fine);
    std::vector<double> halfColumns;
    std::vector<double> fineColumns;
    std::vector<double> rows;
    for (int column = 0; column < 19; ++column) {
        for (int row = 20; row < 100; row += 3) {
            halfColumns.push_back(column + 0.5);
            fineColumns.push_back(2 * column + 1);
            rows.push_back(row);
        }
    }
    std::vector<double> interpolated(rows.size());
    std::vector<double> expected(rows.size());
    coarseTable.Compute(halfColumns.data(), rows.data(), rows.size(), interpolated.data());
    fineTable.Compute(fineColumns.data(), rows.data(), rows.size(), expected.data());
    const double scale = *std::max_element(expected.begin(), expected.end(),
                                           [](double a, double b) { return std::abs(a) < std::abs(b); });
    double worst = 0.0;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        worst = std::max(worst, std::abs(interpolated[k] - expected[k]));
    }
    EXPECT_LT(worst, 1e-4 * std::abs(scale));
    std::printf("largest difference %.3g of the largest velocity\n", worst / std::abs(scale));
}

std::vector<std::vector<double>> PathRows(const SimulationState& state, const std::vector<double>& starts,
                                          Integrator integrator = Integrator::Adaptive)
{
    std::vector<std::vector<double>> rows(starts.size());
    PathTracer(state, {integrator, 1.0, 1e-8}).Trace(starts, [&](int path, const TracePosition& p) {
        rows[static_cast<std::size_t>(path)].push_back(p.row);
    });
    return rows;
}

// Every position of the paths from 41 starts over the central slits, by
// either integrator.
TEST(WaveVelocity, GaussianOpeningsTraceTheSlitSumsPaths)
{
    const Twins twins(5, 300, 300);
    std::vector<double> starts;
    for (double row = 100.0; row <= 200.0; row += 2.5) {
        starts.push_back(row);
    }
    for (const Integrator integrator : {Integrator::Adaptive, Integrator::Euler}) {
        const std::vector<std::vector<double>> expected = PathRows(twins.slits, starts, integrator);
        const std::vector<std::vector<double>> traced = PathRows(twins.wave, starts, integrator);
        double worst = 0.0;
        for (std::size_t k = 0; k < starts.size(); ++k) {
            ASSERT_EQ(traced[k].size(), expected[k].size()) << starts[k];
            for (std::size_t column = 0; column < traced[k].size(); ++column) {
                worst = std::max(worst, std::abs(traced[k][column] - expected[k][column]));
            }
        }
        EXPECT_LT(worst, 1e-4);
        std::printf("largest difference %.3g pixels\n", worst);
    }
}

TEST(WaveVelocity, TheTableIsTheSameOnAnyNumberOfThreads)
{
    Twins twins(3, 120, 70);
    SimulationState& state = twins.wave;
    state.threads = 1;
    const std::vector<std::vector<double>> one = PathRows(state, {40.0, 60.0, 61.5, 80.0});
    state.threads = 3;
    EXPECT_EQ(PathRows(state, {40.0, 60.0, 61.5, 80.0}), one);
}

// The table is counted in the estimate, and refused where it would not fit.
TEST(WaveVelocity, TheTableIsEstimatedAndRefusedBeyondTheMemoryLimit)
{
    Twins twins(3, 120, 70);
    SimulationState& state = twins.wave;
    RunPlan plan;
    plan.carpet = true;
    plan.carpetTrajectories = true;
    const double slitBytes = EstimateWork(twins.slits, plan, 1).memoryBytes;
    const double nodes = 71.0 * (119 + 2 * kVelocityTableMarginRows + 1);  // the fine grid's stride is 1 here
    EXPECT_GE(EstimateWork(state, plan, 1).memoryBytes - slitBytes, nodes * 6 * 16);
    state.gridMemoryLimit = static_cast<std::uint64_t>(nodes * 6 * 16);
    EXPECT_THROW(PathTracer(state, ConfiguredTraceMethod(state.grid)), UnusableSettingsError);
}

}  // namespace
}  // namespace nivaro
