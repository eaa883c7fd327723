#pragma once

#include <cstdint>
#include <vector>

#include "engine/ProgressSink.h"
#include "engine/SimulationState.h"

namespace nivaro {

// An ensemble of Bohmian trajectories whose starts are drawn from |psi|^2.
struct EnsembleSettings {
    int count = 2000;
    std::uint64_t seed = 1;
    Integrator integrator = Integrator::Adaptive;
};

inline constexpr int kLargestEnsemble = 1000000;
inline constexpr int kDefaultHistogramBins = 50;
inline constexpr int kMostHistogramBins = 10000;
// Points of the sampling grid per grid row.
inline constexpr int kSamplingPointsPerRow = 16;

// Start rows drawn from |psi(x, z)|^2 at column 0 by inverse transform
// sampling: the density on 16 (nx - 1) + 1 evenly spaced rows from 0 to
// nx - 1, constant between neighbours. The same seed gives the same rows on
// every machine (the 53 high bits of a 64-bit Mersenne twister).
std::vector<double> SampleStartRows(const SimulationState& state, const EnsembleSettings& settings);

enum class EnsembleEnd : std::uint8_t {
    ReachedEnd,  // traced to the last column
    LeftGrid,    // went past the first or last row
    Stopped,     // ended inside the grid: the velocity could not be formed (|psi| underflows)
};

// Where every trajectory is at every column: the row interpolated between
// the integrator's positions on either side of the column, NaN after the
// trajectory ended.
struct Ensemble {
    int count = 0;
    int columns = 0;
    std::vector<double> startRows;
    std::vector<float> rows;  // count by columns, one trajectory after the other
    std::vector<EnsembleEnd> ends;

    float RowAt(int trajectory, int column) const
    {
        return rows[static_cast<std::size_t>(trajectory) * static_cast<std::size_t>(columns) +
                    static_cast<std::size_t>(column)];
    }
};

// Bytes an ensemble of count trajectories over nz columns holds.
std::uint64_t EnsembleBytes(long long count, int columns);

// Samples the starts and traces them with the settings' integrator (the
// carpet's step, the configured tolerance) in parallel
// (results do not depend on the thread count). Throws UnusableSettingsError
// when the count is outside 1 .. 10^6 or the ensemble would need more memory
// than state.gridMemoryLimit, before anything is traced. A stop request ends
// the work after the trajectories under way; the rest stay unfinished (all
// NaN, counted as stopped).
Ensemble TraceEnsemble(const SimulationState& state, const EnsembleSettings& settings, ProgressSink& progress);

// How many paths of the ensemble pass each grid cell (nx by nz, row after
// row): a path covers, at every column, the rows from where it is to where
// it is at the next column, so that steep stretches leave no gaps.
std::vector<std::uint32_t> EnsembleCoverage(const Ensemble& ensemble, int nx);

// The ensemble at one column against |psi|^2 there: bins over the occupied x
// range (the smallest to the largest position), the count in each, and
// |psi|^2 as a probability density over the same range (1/m, integrated over
// each bin by 8 midpoints). Since that range hides the paths that left the
// grid, the same comparison is also made over the whole line: the grid's
// rows 0 .. nx - 1 in as many bins, and everything outside them as one more
// bin, against |psi|^2 as a share of its norm (which free propagation keeps).
struct EnsembleHistogram {
    int column = 0;
    std::vector<double> centres;  // metres
    double binWidth = 0.0;        // metres
    std::vector<long long> counts;
    std::vector<double> density;  // 1/m
    double totalVariation = 0.0;  // half the sum of |ensemble share - |psi|^2 share| over the bins
    long long counted = 0;        // trajectories still in the grid at the column
    long long leftGrid = 0;
    long long stopped = 0;
    double escapedShare = 0.0;        // of the paths not stopped, those outside the rows 0 .. nx - 1 at the column
    double outsideWeight = 0.0;       // |psi|^2 outside those rows at the column, as a share of its norm
    double wholeLineVariation = 0.0;  // total variation distance over the grid's bins and the outside
};

// Throws UnusableSettingsError for a column outside 0 .. nz - 1 or bins
// outside 1 .. 10000.
EnsembleHistogram HistogramAt(const SimulationState& state, const Ensemble& ensemble, int column, int bins);

}  // namespace nivaro
