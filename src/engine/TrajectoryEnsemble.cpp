#include "TrajectoryEnsemble.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <span>
#include <string>

#include "PathTracer.h"
#include "DensityGrid.h"
#include "OrderedBlocks.h"
#include "SettingsValidation.h"
#include "WaveFunction.h"

namespace nivaro {
namespace {

constexpr int kTrajectoriesPerBlock = 64;
constexpr int kMidpointsPerBin = 8;

void Refuse(const std::string& key, const std::string& value, const std::string& reason)
{
    throw UnusableSettingsError({{key, value, reason}});
}

double DensityAt(const SimulationParameters& parameters, double x, double z)
{
    return std::norm(EvaluatePsi(parameters, x, z));
}

// The row at every integer column a path passes, from the integrator's
// positions: between two positions on either side of a column it is
// interpolated. The Euler integrator ends before the position whose column
// rounds to nz, so that the last columns (less than a step) follow the last
// step's direction.
class ColumnRows {
public:
    ColumnRows(float* rows, int columns) : rows_(rows), columns_(columns) {}

    void Take(const TracePosition& position)
    {
        if (filled_ < 0) {
            rows_[0] = static_cast<float>(position.row);
            filled_ = 0;
        } else {
            slope_ = (position.row - previousRow_) / (position.column - previousColumn_);
            FillTo(std::min(columns_ - 1, static_cast<int>(std::floor(position.column))));
        }
        previousRow_ = position.row;
        previousColumn_ = position.column;
    }

    EnsembleEnd Finish(PathEnd end)
    {
        if (end == PathEnd::ReachedEnd) {
            FillTo(columns_ - 1);
            return EnsembleEnd::ReachedEnd;
        }
        return end == PathEnd::LeftGrid ? EnsembleEnd::LeftGrid : EnsembleEnd::Stopped;
    }

private:
    void FillTo(int last)
    {
        for (int c = filled_ + 1; c <= last; ++c) {
            rows_[c] = static_cast<float>(previousRow_ + slope_ * (c - previousColumn_));
            filled_ = c;
        }
    }

    float* rows_;
    int columns_;
    int filled_ = -1;
    double previousRow_ = 0.0;
    double previousColumn_ = 0.0;
    double slope_ = 0.0;  // rows per column of the last step
};

// |psi|^2 at column z on 16 (nx - 1) + 1 evenly spaced rows from 0 to
// nx - 1, accumulated segment by segment with the mean of each segment's two
// end densities (per row of the sampling grid's spacing).
struct RowWeights {
    double spacing = 0.0;  // rows between sampling points
    std::vector<double> cumulative;

    RowWeights(const SimulationState& state, const SimulationParameters& parameters, double z)
    {
        const int nx = state.grid.nx;
        const int points = std::max(2, kSamplingPointsPerRow * (nx - 1) + 1);
        spacing = nx > 1 ? (nx - 1.0) / (points - 1) : 0.0;
        cumulative.assign(static_cast<std::size_t>(points), 0.0);
        double previous = DensityAt(parameters, RowPosition(state, 0.0), z);
        for (int i = 1; i < points; ++i) {
            const double density = DensityAt(parameters, RowPosition(state, i * spacing), z);
            cumulative[static_cast<std::size_t>(i)] =
                cumulative[static_cast<std::size_t>(i - 1)] + 0.5 * (previous + density);
            previous = density;
        }
    }

    // The weight from row 0 to the row (0 .. nx - 1), constant density within a segment.
    double Below(double row) const
    {
        if (!(spacing > 0.0)) {
            return 0.0;
        }
        const double at = std::clamp(row / spacing, 0.0, static_cast<double>(cumulative.size() - 1));
        const auto segment = std::min(static_cast<std::size_t>(at), cumulative.size() - 2);
        const double within = at - static_cast<double>(segment);
        return cumulative[segment] + within * (cumulative[segment + 1] - cumulative[segment]);
    }
};

// The integral of |psi|^2 over all x, the same at every z: at the grating it
// is the sum over slit pairs of exp(-(j - k)^2 d^2 / (8 sigma0^2)).
double NormOfPsi(const SimulationParameters& parameters)
{
    const double overlap = parameters.d * parameters.d / (8 * parameters.sigma0 * parameters.sigma0);
    double norm = parameters.slits;
    for (int m = 1; m < parameters.slits; ++m) {
        const double pair = std::exp(-overlap * m * m);
        if (pair == 0.0) {
            break;
        }
        norm += 2.0 * (parameters.slits - m) * pair;
    }
    return norm;
}

}  // namespace

std::vector<double> SampleStartRows(const SimulationState& state, const EnsembleSettings& settings)
{
    SimulationParameters parameters = state.parameters;
    parameters.UpdateDerived();
    const RowWeights weights(state, parameters, ColumnPosition(state, 0));
    const std::vector<double>& cumulative = weights.cumulative;
    const auto points = static_cast<std::ptrdiff_t>(cumulative.size());
    const double spacing = weights.spacing;
    const double total = cumulative.back();
    std::mt19937_64 generator(settings.seed);
    std::vector<double> rows;
    rows.reserve(static_cast<std::size_t>(std::max(0, settings.count)));
    for (int k = 0; k < settings.count; ++k) {
        const double u = static_cast<double>(generator() >> 11) * 0x1.0p-53 * total;
        const auto above = std::upper_bound(cumulative.begin() + 1, cumulative.end(), u);
        const auto segment = std::min<std::ptrdiff_t>(above - cumulative.begin(), points - 1);
        const double low = cumulative[static_cast<std::size_t>(segment - 1)];
        const double high = cumulative[static_cast<std::size_t>(segment)];
        const double within = high > low ? (u - low) / (high - low) : 0.5;
        rows.push_back((static_cast<double>(segment - 1) + within) * spacing);
    }
    return rows;
}

std::uint64_t EnsembleBytes(long long count, int columns)
{
    const auto trajectories = static_cast<std::uint64_t>(std::max(0LL, count));
    return trajectories * (static_cast<std::uint64_t>(std::max(0, columns)) * sizeof(float) + sizeof(double) + 1);
}

Ensemble TraceEnsemble(const SimulationState& state, const EnsembleSettings& settings, ProgressSink& progress)
{
    RequireUsableSettings(state);
    RequireCoherentBeam(state, "ensembles of trajectories");
    if (settings.count < 1 || settings.count > kLargestEnsemble) {
        Refuse("ensemble", std::to_string(settings.count), "must be a whole number from 1 to 1000000");
    }
    const int nz = state.grid.nz;
    const std::uint64_t bytes = EnsembleBytes(settings.count, nz);
    if (bytes > state.gridMemoryLimit) {
        Refuse("ensemble", std::to_string(settings.count),
               "its paths would need " + std::to_string(bytes / 1000000) + " MB, more memory than is available");
    }
    Ensemble ensemble;
    ensemble.count = settings.count;
    ensemble.columns = nz;
    ensemble.startRows = SampleStartRows(state, settings);
    ensemble.rows.assign(static_cast<std::size_t>(settings.count) * static_cast<std::size_t>(nz),
                         std::numeric_limits<float>::quiet_NaN());
    ensemble.ends.assign(static_cast<std::size_t>(settings.count), EnsembleEnd::Stopped);

    SimulationState traced;  // the tracer needs the derived quantities of a computation
    traced.parameters = state.parameters;
    traced.parameters.UpdateDerived();
    traced.grid = state.grid;
    traced.scaleX = state.scaleX;
    traced.scaleZ = state.scaleZ;
    traced.gridMemoryLimit = state.gridMemoryLimit;
    traced.threads = state.threads;
    const PathTracer tracer(traced, {settings.integrator, state.grid.step, state.grid.tolerance},
                            &state.stopRequested);
    const int blocks = (settings.count + kTrajectoriesPerBlock - 1) / kTrajectoriesPerBlock;
    const ElapsedSeconds elapsed;
    RunBlocksInOrder(
        blocks, ThreadCount(state.threads),
        [&](int block, int) {
            const auto first = static_cast<std::size_t>(block) * kTrajectoriesPerBlock;
            const std::size_t count = std::min<std::size_t>(kTrajectoriesPerBlock, ensemble.startRows.size() - first);
            std::vector<ColumnRows> paths;
            for (std::size_t k = first; k < first + count; ++k) {
                paths.emplace_back(&ensemble.rows[k * static_cast<std::size_t>(nz)], nz);
            }
            const std::vector<PathEnd> ends = tracer.Trace(
                std::span<const double>(ensemble.startRows).subspan(first, count),
                [&paths](int path, const TracePosition& position) { paths[static_cast<std::size_t>(path)].Take(position); });
            for (std::size_t k = 0; k < count; ++k) {
                ensemble.ends[first + k] = paths[k].Finish(ends[k]);
            }
        },
        [&](int finished) {
            progress.Advance({ProgressKind::EnsembleTrajectories, static_cast<int>(finished * 100LL / blocks), elapsed()});
            return !state.stopRequested.load();
        });
    return ensemble;
}

std::vector<std::uint32_t> EnsembleCoverage(const Ensemble& ensemble, int nx)
{
    const int nz = ensemble.columns;
    std::vector<std::uint32_t> counts(static_cast<std::size_t>(nx) * static_cast<std::size_t>(nz), 0);
    const auto rowOf = [nx](float row) { return std::clamp(static_cast<int>(std::lround(row)), -1, nx); };
    for (int k = 0; k < ensemble.count; ++k) {
        for (int column = 0; column < nz; ++column) {
            const float here = ensemble.RowAt(k, column);
            if (!std::isfinite(here)) {
                break;
            }
            const float next = column + 1 < nz ? ensemble.RowAt(k, column + 1) : here;
            const int from = rowOf(here);
            const int to = std::isfinite(next) ? rowOf(next) : from;
            for (int row = std::max(0, std::min(from, to)); row <= std::min(nx - 1, std::max(from, to)); ++row) {
                ++counts[static_cast<std::size_t>(row) * static_cast<std::size_t>(nz) + static_cast<std::size_t>(column)];
            }
        }
    }
    return counts;
}

namespace {

// The paths against |psi|^2 over the grid's rows in `bins` bins and the
// outside of the grid.
void CompareOverTheWholeLine(const SimulationState& state, const SimulationParameters& parameters,
                             const Ensemble& ensemble, EnsembleHistogram& histogram, int bins)
{
    const int column = histogram.column;
    const double lastRow = state.grid.nx - 1.0;
    std::vector<long long> counts(static_cast<std::size_t>(bins), 0);
    long long outside = 0;
    for (int k = 0; k < ensemble.count; ++k) {
        const float row = ensemble.RowAt(k, column);
        if (!std::isfinite(row)) {
            outside += ensemble.ends[static_cast<std::size_t>(k)] == EnsembleEnd::LeftGrid ? 1 : 0;
        } else if (row < 0.0f || row > lastRow) {
            ++outside;
        } else {
            const int bin = lastRow > 0.0 ? static_cast<int>(row / lastRow * bins) : 0;
            ++counts[static_cast<std::size_t>(std::min(bin, bins - 1))];
        }
    }
    const long long traced = ensemble.count - histogram.stopped;
    if (traced == 0) {
        return;
    }
    const RowWeights weights(state, parameters, ColumnPosition(state, column));
    const double metresPerRow = std::abs(RowPosition(state, 1.0) - RowPosition(state, 0.0));
    const double toShare = weights.spacing * metresPerRow / NormOfPsi(parameters);
    histogram.escapedShare = static_cast<double>(outside) / static_cast<double>(traced);
    histogram.outsideWeight = std::max(0.0, 1.0 - weights.Below(lastRow) * toShare);
    double variation = std::abs(histogram.escapedShare - histogram.outsideWeight);
    for (int b = 0; b < bins; ++b) {
        const double share =
            (weights.Below(lastRow * (b + 1) / bins) - weights.Below(lastRow * b / bins)) * toShare;
        variation += std::abs(static_cast<double>(counts[static_cast<std::size_t>(b)]) / static_cast<double>(traced) - share);
    }
    histogram.wholeLineVariation = variation / 2;
}

}  // namespace

EnsembleHistogram HistogramAt(const SimulationState& state, const Ensemble& ensemble, int column, int bins)
{
    if (column < 0 || column >= ensemble.columns) {
        Refuse("histogram column", std::to_string(column),
               "must lie between 0 and nz - 1 (" + std::to_string(ensemble.columns - 1) + ")");
    }
    if (bins < 1 || bins > kMostHistogramBins) {
        Refuse("bins", std::to_string(bins), "must be a whole number from 1 to 10000");
    }
    EnsembleHistogram histogram;
    histogram.column = column;
    std::vector<double> positions;
    positions.reserve(static_cast<std::size_t>(ensemble.count));
    for (int k = 0; k < ensemble.count; ++k) {
        const float row = ensemble.RowAt(k, column);
        if (std::isfinite(row)) {
            positions.push_back(RowPosition(state, row));
        } else if (ensemble.ends[static_cast<std::size_t>(k)] == EnsembleEnd::LeftGrid) {
            ++histogram.leftGrid;
        } else {
            ++histogram.stopped;
        }
    }
    histogram.counted = static_cast<long long>(positions.size());
    SimulationParameters parameters = state.parameters;
    parameters.UpdateDerived();
    CompareOverTheWholeLine(state, parameters, ensemble, histogram, bins);
    if (positions.empty()) {
        return histogram;
    }
    // The occupied range, at least one row wide about its middle: paths that
    // all end at one x (an ensemble of one) still have bins to fall in.
    const auto [lowest, highest] = std::minmax_element(positions.begin(), positions.end());
    const double row = std::abs(RowPosition(state, 1.0) - RowPosition(state, 0.0));
    const bool narrow = *highest - *lowest < row;
    const double from = narrow ? (*lowest + *highest - row) / 2 : *lowest;
    const double width = (narrow ? row : *highest - *lowest) / bins;
    histogram.binWidth = width;
    histogram.counts.assign(static_cast<std::size_t>(bins), 0);
    for (const double x : positions) {
        const int bin = std::clamp(static_cast<int>((x - from) / width), 0, bins - 1);
        ++histogram.counts[static_cast<std::size_t>(bin)];
    }
    const double z = ColumnPosition(state, column);
    std::vector<double> shares(static_cast<std::size_t>(bins), 0.0);
    double total = 0.0;
    for (int b = 0; b < bins; ++b) {
        const double left = from + b * width;
        histogram.centres.push_back(left + width / 2);
        double sum = 0.0;
        for (int m = 0; m < kMidpointsPerBin; ++m) {
            sum += DensityAt(parameters, left + (m + 0.5) * width / kMidpointsPerBin, z);
        }
        shares[static_cast<std::size_t>(b)] = sum * width / kMidpointsPerBin;
        total += shares[static_cast<std::size_t>(b)];
    }
    double variation = 0.0;
    for (int b = 0; b < bins; ++b) {
        const auto at = static_cast<std::size_t>(b);
        const double share = total > 0 ? shares[at] / total : 0.0;
        histogram.density.push_back(share / width);
        variation += std::abs(static_cast<double>(histogram.counts[at]) / histogram.counted - share);
    }
    histogram.totalVariation = variation / 2;
    return histogram;
}

}  // namespace nivaro
