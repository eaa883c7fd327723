#include "WaveVelocity.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "OrderedBlocks.h"
#include "PhysicalConstants.h"
#include "SettingsValidation.h"
#include "WaveModel.h"

namespace nivaro {
namespace {

struct NodeValue {
    int xOrder;
    bool alongZ;
};
// phi, phi_x and phi_xx, then their z derivatives: Hermite in x needs each
// value with its x derivative, Hermite in z each with its z derivative.
constexpr std::array<NodeValue, 6> kNodeValues{{{0, false}, {1, false}, {2, false}, {0, true}, {1, true}, {2, true}}};
constexpr std::size_t kValuesPerNode = kNodeValues.size();
constexpr std::size_t kPhi = 0;
constexpr std::size_t kPhiXX = 2;
constexpr std::size_t kPhiZ = 3;

constexpr int kColumnsPerBlock = 16;

double TablePoints(const SimulationState& state, double stride)
{
    return (state.grid.nx - 1 + 2.0 * kVelocityTableMarginRows) * stride + 1;
}

// The cubic Hermite weights of the two ends' values and slopes at t in 0 .. 1,
// the slopes' already times the spacing.
struct HermiteWeights {
    double value0;
    double slope0;
    double value1;
    double slope1;

    HermiteWeights(double t, double spacing)
    {
        const double t2 = t * t;
        const double t3 = t2 * t;
        value0 = 2 * t3 - 3 * t2 + 1;
        slope0 = (t3 - 2 * t2 + t) * spacing;
        value1 = 3 * t2 - 2 * t3;
        slope1 = (t3 - t2) * spacing;
    }

    std::complex<double> Of(const std::complex<double>& f0, const std::complex<double>& d0,
                            const std::complex<double>& f1, const std::complex<double>& d1) const
    {
        return value0 * f0 + slope0 * d0 + value1 * f1 + slope1 * d1;
    }
};

}  // namespace

double WaveVelocityTableBytes(const SimulationState& state)
{
    return (state.grid.nz + 1.0) * TablePoints(state, WaveRowStride(state)) *
           static_cast<double>(kValuesPerNode * sizeof(std::complex<double>));
}

WaveVelocityTable::WaveVelocityTable(const SimulationState& state, const std::atomic<bool>& stopFlag)
    : points_(0),
      columns_(state.grid.nz + 1),
      pointsPerRow_(0.0),
      pointSpacing_(0.0),
      columnSpacing_(state.grid.dz / state.scaleZ.Factor()),
      velocityFactor_(-kHbar / state.parameters.mass)
{
    const double bytes = WaveVelocityTableBytes(state) + static_cast<double>(GridBytes(state.grid.nx, state.grid.nz));
    if (!(bytes <= static_cast<double>(state.gridMemoryLimit))) {
        throw UnusableSettingsError(
            {{"model", "wave",
              "its trajectories need a table of psi of " + std::to_string(static_cast<long long>(bytes / 1e6)) +
                  " MB with the density, more memory than is available"}});
    }
    const WavePropagation propagation(state);
    const WaveGrid& grid = propagation.Grid();
    pointsPerRow_ = static_cast<double>(grid.rowStride);
    pointSpacing_ = grid.spacing;
    points_ = static_cast<std::size_t>(TablePoints(state, pointsPerRow_));
    const std::size_t columnValues = points_ * kValuesPerNode;
    nodes_ = GridBlock(static_cast<std::size_t>(columns_) * columnValues * sizeof(std::complex<double>));
    std::complex<double>* const nodes = static_cast<std::complex<double>*>(nodes_.Data());
    const auto offset = -static_cast<std::ptrdiff_t>(kVelocityTableMarginRows * grid.rowStride);
    const bool paraxial = state.parameters.wave.propagator == Propagator::Paraxial;
    const std::complex<double> curvatureToSlope(0.0, state.parameters.lambda / (4 * kPi));
    const int blocks = (columns_ + kColumnsPerBlock - 1) / kColumnsPerBlock;
    const int threads = std::min(blocks, ThreadCount(state.threads));
    std::vector<WavePropagation::Scratch> scratch;
    for (int worker = 0; worker < threads; ++worker) {
        scratch.push_back(propagation.NewScratch());
    }
    // Each thread first touches the columns it fills; those a stop left
    // unfilled are NaN.
    std::vector<char> filled(static_cast<std::size_t>(blocks), 0);
    const auto columnsOf = [this](int block) {
        return std::pair{block * kColumnsPerBlock, std::min(columns_, (block + 1) * kColumnsPerBlock)};
    };
    RunBlocksInOrder(
        blocks, threads,
        [&](int block, int worker) {
            const auto [first, last] = columnsOf(block);
            for (int column = first; column < last; ++column) {
                std::complex<double>* node = nodes + static_cast<std::size_t>(column) * columnValues;
                for (std::size_t value = 0; value < kValuesPerNode; ++value) {
                    if (value == kPhiZ && paraxial) {
                        // Paraxially the envelope's dphi/dz is (i / 2k) phi_xx: one transform fewer.
                        for (std::size_t point = 0; point < columnValues; point += kValuesPerNode) {
                            node[point + kPhiZ] = curvatureToSlope * node[point + kPhiXX];
                        }
                        continue;
                    }
                    propagation.Envelope(column, offset, points_, scratch[static_cast<std::size_t>(worker)],
                                         kNodeValues[value].xOrder, kNodeValues[value].alongZ, node + value,
                                         kValuesPerNode);
                }
            }
            filled[static_cast<std::size_t>(block)] = 1;
        },
        [&stopFlag](int) { return !stopFlag.load(); });
    for (int block = 0; block < blocks; ++block) {
        if (!filled[static_cast<std::size_t>(block)]) {
            const auto [first, last] = columnsOf(block);
            std::fill(nodes + static_cast<std::size_t>(first) * columnValues,
                      nodes + static_cast<std::size_t>(last) * columnValues,
                      std::complex<double>(std::numeric_limits<double>::quiet_NaN(), 0.0));
        }
    }
}

void WaveVelocityTable::Compute(const double* columns, const double* rows, std::size_t count,
                                double* velocities) const
{
    for (std::size_t k = 0; k < count; ++k) {
        velocities[k] = VelocityAt(columns[k], rows[k]);
    }
}

double WaveVelocityTable::VelocityAt(double column, double row) const
{
    const double point = (row + kVelocityTableMarginRows) * pointsPerRow_;
    if (!(point >= 0.0 && point <= static_cast<double>(points_ - 1) && column >= 0.0 && column <= columns_ - 1)) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    const std::size_t p0 = std::min(static_cast<std::size_t>(point), points_ - 2);
    const int c0 = std::min(static_cast<int>(column), columns_ - 2);
    const HermiteWeights alongX(point - static_cast<double>(p0), pointSpacing_);
    const HermiteWeights alongZ(column - c0, columnSpacing_);
    // psi and psi_x (then their z derivatives) at the point's x in columns
    // c0 and c0 + 1: each value with the next of kNodeValues as its slope.
    std::array<std::array<std::complex<double>, 4>, 2> atColumn;
    for (std::size_t side = 0; side < 2; ++side) {
        const std::complex<double>* left = static_cast<const std::complex<double>*>(nodes_.Data()) +
                                           ((static_cast<std::size_t>(c0) + side) * points_ + p0) * kValuesPerNode;
        const std::complex<double>* right = left + kValuesPerNode;
        std::size_t at = 0;
        for (const std::size_t base : {kPhi, kPhiZ}) {
            for (std::size_t value = base; value < base + 2; ++value) {
                atColumn[side][at++] = alongX.Of(left[value], left[value + 1], right[value], right[value + 1]);
            }
        }
    }
    // atColumn: phi, phi_x, phi_z, phi_xz.
    const std::complex<double> psi = alongZ.Of(atColumn[0][0], atColumn[0][2], atColumn[1][0], atColumn[1][2]);
    const std::complex<double> slope = alongZ.Of(atColumn[0][1], atColumn[0][3], atColumn[1][1], atColumn[1][3]);
    return velocityFactor_ * (slope.imag() * psi.real() - slope.real() * psi.imag()) / std::norm(psi);
}

}  // namespace nivaro
