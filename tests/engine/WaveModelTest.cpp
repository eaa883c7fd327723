#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <span>
#include <vector>

#include "engine/DensityGrid.h"
#include "engine/ParaxialValidity.h"
#include "engine/PhysicalConstants.h"
#include "engine/RunDocument.h"
#include "engine/WaveModel.h"
#include "FresnelReference.h"

namespace nivaro {
namespace {

using Cplx = std::complex<double>;

// Electrons at lambda / d = 0.01: one Talbot length is 2 um, so the window
// is put at the wanted distance by z0 and holds a few columns.
void UseGrating(SimulationState& state, GratingKind grating, int slits, double z0, int nx, int nz)
{
    state.parameters.slits = slits;
    state.parameters.lambda = 1e-10;
    state.parameters.d = 1e-8;
    state.parameters.slitWidth = 4e-9;
    state.parameters.z0 = z0;
    state.parameters.wave.model = FieldModel::Wave;
    state.parameters.wave.grating = grating;
    state.grid.nx = nx;
    state.grid.nz = nz;
    state.parameters.UpdateDerived();
}

std::vector<double> DensityOf(SimulationState& state)
{
    SilentProgress progress;
    ComputeDensityGrid(state, progress);
    return {state.densityField.Data(), state.densityField.Data() + state.grid.nx * state.grid.nz};
}

double LargestDifference(const std::vector<double>& a, const std::vector<double>& b)
{
    double largest = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        largest = std::max(largest, std::abs(a[i] - b[i]));
    }
    return largest;
}

double Largest(const std::vector<double>& values)
{
    return *std::max_element(values.begin(), values.end());
}

TEST(WaveModel, GaussianOpeningsGiveTheSlitSum)
{
    const struct {
        int slits;
        const char* scaleX;
        const char* scaleZ;
        double z0;
    } cases[] = {{1, "1:1", "1:1", 0.0}, {2, "1:1", "1:1", 0.0}, {5, "2:1", "1:3", 0.0}, {3, "1:1", "1:1", 0.7}};
    for (const auto& c : cases) {
        SimulationState slits;
        slits.parameters.slits = c.slits;
        slits.parameters.z0 = c.z0;
        slits.grid.nx = 200;
        slits.grid.nz = 120;
        ASSERT_TRUE(slits.scaleX.Parse(c.scaleX) && slits.scaleZ.Parse(c.scaleZ));
        SimulationState wave;
        CopySettings(slits, wave);
        wave.parameters.wave.model = FieldModel::Wave;
        const std::vector<double> expected = DensityOf(slits);
        EXPECT_LT(LargestDifference(DensityOf(wave), expected), 1e-9 * Largest(expected)) << c.slits << " slits";
    }
}

TEST(WaveModel, AMeasuredTransmissionJoinedByLinesFollowsTheOpeningsItSamples)
{
    // Gaussian openings sampled every sigma0 / 16: the lines between the
    // samples are off by at most h^2 / 8 of the curvature, 1 / 4096 of the
    // amplitude.
    SimulationState slits;
    slits.grid.nx = 200;
    slits.grid.nz = 100;
    const SimulationParameters& p = slits.parameters;
    std::vector<double> x;
    std::vector<Cplx> t;
    for (double at = -p.d - 10 * p.sigma0; at <= p.d + 10 * p.sigma0; at += p.sigma0 / 16) {
        x.push_back(at);
        double sum = 0.0;
        for (const double centre : {-p.d / 2, p.d / 2}) {
            sum += std::exp(-(at - centre) * (at - centre) / (4 * p.sigma0 * p.sigma0));
        }
        t.emplace_back(sum, 0.0);
    }
    SimulationState file;
    CopySettings(slits, file);
    file.parameters.wave.model = FieldModel::Wave;
    file.parameters.wave.grating = GratingKind::File;
    file.parameters.wave.transmission = std::make_shared<const TransmissionTable>(x, t);
    const std::vector<double> expected = DensityOf(slits);
    EXPECT_LT(LargestDifference(DensityOf(file), expected), 2e-3 * Largest(expected));
}

double ReferenceDensity(const SimulationParameters& p, double x, double z)
{
    const double amplitude2 = kInverseSqrtTwoPi / p.sigma0;
    return std::norm(FresnelPsi(p, x, z)) * amplitude2 * p.sigma0 * kSqrtTwoPi / p.slits;
}

TEST(WaveModel, RectangularOpeningsFollowTheFresnelIntegral)
{
    SimulationState state;
    UseGrating(state, GratingKind::Rectangular, 41, 0.3, 500, 1);
    const std::vector<double> density = DensityOf(state);
    const double largest = Largest(density);
    for (const int row : {0, 120, 250, 251, 333, 499}) {
        const double expected =
            ReferenceDensity(state.parameters, RowPosition(state, row), ColumnPosition(state, 0));
        EXPECT_NEAR(density[static_cast<std::size_t>(row)], expected, 1e-6 * largest) << row;
    }
}

// The correlation of two rows of densities over the central five periods.
double Correlation(const std::vector<double>& a, const std::vector<double>& b)
{
    const std::size_t from = a.size() / 2 - 125;
    const std::size_t to = a.size() / 2 + 125;
    double ma = 0, mb = 0;
    for (std::size_t i = from; i < to; ++i) {
        ma += a[i];
        mb += b[i];
    }
    ma /= static_cast<double>(to - from);
    mb /= static_cast<double>(to - from);
    double ab = 0, aa = 0, bb = 0;
    for (std::size_t i = from; i < to; ++i) {
        ab += (a[i] - ma) * (b[i] - mb);
        aa += (a[i] - ma) * (a[i] - ma);
        bb += (b[i] - mb) * (b[i] - mb);
    }
    return ab / std::sqrt(aa * bb);
}

TEST(WaveModel, TheTalbotLengthRevivesTheGratingAndHalfOfItShiftsItByHalfAPeriod)
{
    SimulationState start, revival, half;
    UseGrating(start, GratingKind::Rectangular, 41, 0.0, 500, 1);
    UseGrating(revival, GratingKind::Rectangular, 41, 1.0, 500, 1);
    UseGrating(half, GratingKind::Rectangular, 41, 0.5, 500, 1);
    const std::vector<double> initial = DensityOf(start);
    EXPECT_GE(Correlation(DensityOf(revival), initial), 0.998);
    std::vector<double> shifted = DensityOf(half);
    std::rotate(shifted.begin(), shifted.begin() + 25, shifted.end());  // d / 2 is 25 rows
    EXPECT_GE(Correlation(shifted, initial), 0.998);
}

TEST(WaveModel, TheDensityIsTheSameOnAnyNumberOfThreads)
{
    std::vector<std::vector<double>> densities;
    for (const int threads : {1, 2, 3}) {
        SimulationState state;
        UseGrating(state, GratingKind::Rectangular, 9, 0.1, 200, 100);
        state.threads = threads;
        densities.push_back(DensityOf(state));
    }
    EXPECT_EQ(densities[0], densities[1]);
    EXPECT_EQ(densities[0], densities[2]);
}

TEST(WaveModel, AFinerGridChangesNothing)
{
    SimulationState state;
    UseGrating(state, GratingKind::Rectangular, 41, 0.25, 300, 1);
    const WavePropagation coarsePropagation(state);
    const WavePropagation finePropagation(state, 2);
    WavePropagation::Scratch coarseScratch = coarsePropagation.NewScratch();
    WavePropagation::Scratch fineScratch = finePropagation.NewScratch();
    std::vector<Cplx> coarse(300), fine(300);
    coarsePropagation.Column(0, 300, coarseScratch, coarse.data(), 1);
    finePropagation.Column(0, 300, fineScratch, fine.data(), 1);
    double largest = 0.0, difference = 0.0;
    for (std::size_t i = 0; i < coarse.size(); ++i) {
        largest = std::max(largest, std::norm(coarse[i]));
        difference = std::max(difference, std::abs(std::norm(coarse[i]) - std::norm(fine[i])));
    }
    EXPECT_LT(difference, 1e-9 * largest);
}

// Soft-edged openings would not do here: their edges' high orders take
// non-paraxial phases of a radian at lambda / d = 0.01 already.
TEST(WaveModel, TheExactPropagatorIsParaxialForShortWavesOnly)
{
    for (const double lambda : {1e-10, 1e-8}) {
        SimulationState paraxial, exact;
        for (SimulationState* state : {&paraxial, &exact}) {
            UseGrating(*state, GratingKind::Gaussian, 9, 0.3, 300, 2);
            state->parameters.lambda = lambda;
            state->parameters.UpdateDerived();
        }
        exact.parameters.wave.propagator = Propagator::Exact;
        const std::vector<double> expected = DensityOf(paraxial);
        const double difference = LargestDifference(DensityOf(exact), expected) / Largest(expected);
        if (lambda < 1e-9) {
            EXPECT_LT(difference, 1e-4) << difference;
            EXPECT_LT(WavePropagation(exact).EvanescentWeight(), 1e-20);
        } else {
            EXPECT_GT(difference, 0.1) << "lambda = d";
            EXPECT_GT(WavePropagation(exact).EvanescentWeight(), 1e-3);
        }
    }
}

// A phase grating exp(i phi cos(2 pi x / d)) at a quarter Talbot length, by
// its Fourier series: the orders n carry i^n J_n(phi) and the paraxial phase
// -pi n^2 / 2 there.
TEST(WaveModel, APhaseGratingTurnsIntoFringesAtAQuarterTalbotLength)
{
    SimulationState state;
    UseGrating(state, GratingKind::Phase, 41, 0.25, 500, 1);
    const std::vector<double> density = DensityOf(state);
    const double scale = kInverseSqrtTwoPi / state.parameters.sigma0 * state.parameters.sigma0 * kSqrtTwoPi / 41;
    for (int row = 225; row < 275; row += 7) {
        const double x = RowPosition(state, row);
        Cplx sum = 0.0;
        for (int n = -30; n <= 30; ++n) {
            const double bessel = std::cyl_bessel_j(std::abs(n), 1.0) * (n < 0 && n % 2 != 0 ? -1.0 : 1.0);
            sum += std::pow(Cplx(0, 1), n) * bessel * std::polar(1.0, -kPi * n * n / 2 + 2 * kPi * n * x / 1e-8);
        }
        EXPECT_NEAR(density[static_cast<std::size_t>(row)], std::norm(sum) * scale, 1e-3 * scale) << row;
    }
}

// The warning against what exact propagation actually changes: Gaussian
// openings propagated both ways by the wave model.
TEST(ParaxialValidity, TheWarningComesWhereExactPropagationDiffers)
{
    const struct {
        const char* name;
        double lambda;
        double z0;
        bool holds;
    } cases[] = {{"the defaults, lambda = d", 1e-8, 0.0, false},
                 {"lambda / d = 0.01 at 0.3 zt", 1e-10, 0.3, true},
                 {"lambda / d = 0.001 at 2 zt", 1e-11, 2.0, true},
                 {"lambda / d = 0.1 at 0.5 zt", 1e-9, 0.5, true}, {"lambda / d = 0.4 at 0.5 zt", 4e-9, 0.5, false}};
    for (const auto& c : cases) {
        SimulationState paraxial, exact;
        for (SimulationState* state : {&paraxial, &exact}) {
            UseGrating(*state, GratingKind::Gaussian, 5, c.z0, 300, 2);
            state->parameters.lambda = c.lambda;
            state->parameters.UpdateDerived();
        }
        exact.parameters.wave.propagator = Propagator::Exact;
        const std::vector<double> expected = DensityOf(paraxial);
        const double difference = LargestDifference(DensityOf(exact), expected) / Largest(expected);
        SimulationState slits;
        CopySettings(paraxial, slits);
        slits.parameters.wave.model = FieldModel::Slits;
        EXPECT_EQ(CheckParaxial(slits).Holds(), c.holds) << c.name;
        EXPECT_EQ(!ParaxialWarning(slits), c.holds) << c.name;
        if (c.holds) {
            EXPECT_LT(difference, 0.01) << c.name;
        } else {
            EXPECT_GT(difference, 0.01) << c.name;
        }
        EXPECT_FALSE(ParaxialWarning(exact)) << "exact propagation needs no warning";
    }
}

TEST(ParaxialValidity, TheExperimentPresetsAreParaxialAndShowOneToTwoTalbotLengths)
{
    for (const ParticlePreset& preset : std::span(kParticlePresets).subspan(2)) {
        SimulationState state;
        state.parameters.mass = preset.mass;
        state.parameters.lambda = preset.lambda;
        state.parameters.d = preset.d;
        state.parameters.slitWidth = preset.slitWidth;
        state.parameters.sigma0 = preset.sigma0;
        ASSERT_TRUE(state.scaleX.Parse(preset.scaleX) && state.scaleZ.Parse(preset.scaleZ));
        state.parameters.UpdateDerived();
        EXPECT_TRUE(CheckParaxial(state).Holds()) << preset.name;
        const double talbotLengths = ColumnPosition(state, state.grid.nz - 1) / state.parameters.TalbotLength();
        EXPECT_GE(talbotLengths, 1.0) << preset.name;
        EXPECT_LE(talbotLengths, 2.0) << preset.name;
        const double width = RowPosition(state, state.grid.nx - 1) - RowPosition(state, 0);
        EXPECT_GT(width, state.parameters.slits * state.parameters.d) << preset.name << ": the grating fits across";
    }
}

}  // namespace
}  // namespace nivaro
