#include "PartialCoherence.h"

#include <gsl/gsl_integration.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "DensityGrid.h"
#include "PhysicalConstants.h"
#include "SettingsValidation.h"
#include "WaveModel.h"

namespace nivaro {
namespace {

// Beyond kx = kSignificantReach / feature the field's spectrum is below
// 1e-6 of its peak (a Gaussian opening's e^(-kx^2 sigma0^2)).
constexpr double kSignificantReach = 3.7;
constexpr double kReachStep = 0.05;

// Gauss-Hermite quadrature of a Gaussian of unit rms, n points, with the
// weights summing to 1.
struct StandardNormalRule {
    std::vector<double> nodes;
    std::vector<double> weights;
};

StandardNormalRule StandardNormalQuadrature(int n)
{
    const std::unique_ptr<gsl_integration_fixed_workspace, decltype(&gsl_integration_fixed_free)> workspace(
        gsl_integration_fixed_alloc(gsl_integration_fixed_hermite, static_cast<std::size_t>(n), 0.0, 0.5, 0.0, 0.0),
        &gsl_integration_fixed_free);
    if (!workspace) {
        throw std::bad_alloc();
    }
    const double* nodes = gsl_integration_fixed_nodes(workspace.get());
    const double* weights = gsl_integration_fixed_weights(workspace.get());
    StandardNormalRule rule{{nodes, nodes + n}, {weights, weights + n}};
    double total = 0.0;
    for (const double weight : rule.weights) {
        total += weight;
    }
    for (double& weight : rule.weights) {
        weight /= total;
    }
    return rule;
}

// log of the n-point rule's error on e^(i a xi): about n! a^(2n) / (2n)!.
double LogQuadratureError(int n, double phase)
{
    return std::lgamma(n + 1.0) + 2 * n * std::log(phase) - std::lgamma(2 * n + 1.0);
}

// The fewest points for which every plane wave of the field is averaged to
// the accuracy aimed at, relative to the field: a plane wave's amplitude
// falls as exp(-(kx w)^2 / 2) with the smallest feature w (generous for
// every grating), while the phase the spread moves grows as
// unitPhase (kx w)^power.
int PointsForSpread(double unitPhase, int power, bool& limited)
{
    if (!(unitPhase > 0.0)) {
        return 1;
    }
    int needed = 1;
    for (double reach = kReachStep; reach <= kSignificantReach; reach += kReachStep) {
        const double phase = unitPhase * std::pow(reach, power);
        const double target = std::log(kCoherenceAccuracy) + reach * reach / 2;
        int n = needed;
        while (n < kMostCoherenceSamples && LogQuadratureError(n, phase) > target) {
            ++n;
        }
        limited = limited || LogQuadratureError(n, phase) > target;
        needed = n;
    }
    return needed;
}

}  // namespace

CoherencePoints CoherenceSampleCounts(const SimulationState& state)
{
    const WaveSettings& wave = state.parameters.wave;
    CoherencePoints points;
    if (wave.coherenceSamples > 0) {
        points.wavelengths = wave.lambdaSpread > 0.0 ? wave.coherenceSamples : 1;
        points.angles = wave.sourceWidth > 0.0 ? wave.coherenceSamples : 1;
        return points;
    }
    SimulationParameters parameters = state.parameters;
    parameters.UpdateDerived();
    const double lastZ = (state.grid.nz - 1) * state.grid.dz / state.scaleZ.Factor();
    const double farthest = std::max(std::abs(parameters.zOffset), std::abs(parameters.zOffset + lastZ));
    const double unitWavenumber = 1.0 / SmallestFeature(parameters);
    // A relative change of lambda moves the paraxial phase kx^2 z lambda / 4 pi
    // by as much; a tilt moves the pattern sideways by tilt z.
    const double wavelengthPhase =
        unitWavenumber * unitWavenumber * farthest * parameters.lambda * wave.lambdaSpread / (4 * kPi);
    const double anglePhase = unitWavenumber * farthest * wave.sourceWidth;
    points.wavelengths = PointsForSpread(wavelengthPhase, 2, points.limited);
    points.angles = PointsForSpread(anglePhase, 1, points.limited);
    return points;
}

std::vector<CoherenceSample> CoherenceQuadrature(const SimulationState& state)
{
    const WaveSettings& wave = state.parameters.wave;
    const CoherencePoints points = CoherenceSampleCounts(state);
    const StandardNormalRule wavelengths = StandardNormalQuadrature(points.wavelengths);
    const StandardNormalRule angles = StandardNormalQuadrature(points.angles);
    std::vector<CoherenceSample> samples;
    double total = 0.0;
    for (std::size_t i = 0; i < wavelengths.nodes.size(); ++i) {
        const double lambda = state.parameters.lambda * (1 + wave.lambdaSpread * wavelengths.nodes[i]);
        if (!(lambda > 0.0)) {
            continue;
        }
        for (std::size_t j = 0; j < angles.nodes.size(); ++j) {
            const double weight = wavelengths.weights[i] * angles.weights[j];
            samples.push_back({lambda, wave.sourceWidth * angles.nodes[j], weight});
            total += weight;
        }
    }
    for (CoherenceSample& sample : samples) {
        sample.weight /= total;
    }
    return samples;
}

SampleParameters::SampleParameters(SimulationState& state, const CoherenceSample& sample)
    : state_(state), saved_(state.parameters)
{
    SimulationParameters& parameters = state.parameters;
    parameters.UpdateDerived();
    const double windowStart = parameters.zOffset;
    parameters.lambda = sample.lambda;
    parameters.z0 = windowStart / parameters.TalbotLength();
    parameters.wave.tilt = sample.tilt;
    parameters.wave.lambdaSpread = 0.0;  // the sample itself is coherent
    parameters.wave.sourceWidth = 0.0;
    if (sample.tilt != 0.0 && parameters.wave.model == FieldModel::Slits) {
        parameters.wave.model = FieldModel::Wave;
        parameters.wave.grating = GratingKind::Gaussian;
        parameters.wave.propagator = Propagator::Paraxial;
    }
    parameters.UpdateDerived();
}

SampleParameters::~SampleParameters()
{
    state_.parameters = saved_;
}

std::vector<VisibilityPoint> FringeVisibility(const SimulationState& state, const GridView<const double>& density)
{
    const double half = state.parameters.d / 2;
    std::vector<int> rows;
    for (int row = 0; row < density.rows; ++row) {
        if (std::abs(RowPosition(state, row)) <= half) {
            rows.push_back(row);
        }
    }
    if (rows.size() < 3) {
        throw UnusableSettingsError({{"nx", std::to_string(state.grid.nx),
                                      "the fringe visibility needs at least three rows within d / 2 of the axis"}});
    }
    SimulationParameters parameters = state.parameters;
    parameters.UpdateDerived();
    std::vector<VisibilityPoint> points;
    points.reserve(static_cast<std::size_t>(density.cols));
    for (int column = 0; column < density.cols; ++column) {
        double low = density(rows.front(), column);
        double high = low;
        for (const int row : rows) {
            low = std::min(low, density(row, column));
            high = std::max(high, density(row, column));
        }
        const double z = column * state.grid.dz / state.scaleZ.Factor() + parameters.zOffset;
        points.push_back({z, high + low > 0.0 ? (high - low) / (high + low) : std::nan("")});
    }
    return points;
}

}  // namespace nivaro
