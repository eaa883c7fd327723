#pragma once

#include <climits>
#include <complex>
#include <cstddef>
#include <optional>
#include <vector>

#include "engine/SimulationState.h"
#include "numeric/FftPlans.h"

namespace nivaro {

// The wave model's fine x grid: periodic, aligned so that every grid row is
// one of its points, fine enough for the transmission's smallest feature
// and wide enough that nothing the window sees wraps around.
struct WaveGrid {
    double spacing = 0.0;      // m
    std::size_t size = 0;      // points, the row stride times a product of 2, 3, 5 and 7
    std::size_t firstRow = 0;  // the point of grid row 0, a multiple of the row stride
    std::size_t rowStride = 1;  // points from one grid row to the next
};

// Points of the fine grid beyond which the wave model is refused.
inline constexpr std::size_t kLargestWaveGrid = std::size_t{1} << 26;

// Points of the fine grid from one grid row to the next, a whole number of
// at least 1 (not bounded: the grid's planning refuses what is too fine).
double WaveRowStride(const SimulationState& state, int refinement = 1);

// The fine grid for the state's grating and window; refinement divides its
// spacing further. Throws UnusableSettingsError when it would exceed
// kLargestWaveGrid points.
WaveGrid PlanWaveGrid(const SimulationState& state, int refinement = 1);

// The smallest feature of the field at the grating: a Gaussian opening's
// sigma0 (always with the slit model), a soft edge's rms width, a phase
// grating's shortest local period over 2 pi, a measured transmission's
// smallest sample step. The file grating's functions here need its table,
// which the settings' check requires before anything is computed.
double SmallestFeature(const SimulationParameters& parameters);

// The transmission at the grating times sqrt(1 / (sqrt(2 pi) sigma0)) (the
// slit sum's amplitude, so that Gaussian openings give its psi), at x in m.
std::complex<double> Transmission(const SimulationParameters& parameters, double x);
// The field just behind the grating: the transmission times the tilted
// beam's transverse phase e^(i k sin(tilt) x).
std::complex<double> GratingField(const SimulationParameters& parameters, double x);

// The field at the grating sampled on the fine grid and transformed once;
// psi at a column is its spectrum propagated to z and transformed back:
// e^(i k z) times the paraxial phase e^(-i kx^2 z / 2k), or the exact
// e^(i (kz - k) z) with kz = sqrt(k^2 - kx^2), the components with |kx| >= k
// dropped. Uses zoff as it is.
class WavePropagation {
public:
    explicit WavePropagation(const SimulationState& state, int refinement = 1);

    const WaveGrid& Grid() const { return grid_; }
    // The share of |psi|^2 at the grating in components that cannot
    // propagate (with the exact propagator; 0 with the paraxial one).
    double EvanescentWeight() const { return evanescentWeight_; }

    // Working memory of one thread; it remembers the phases (of the waves
    // 0 .. reach) of the last column it served.
    struct Scratch {
        FftBuffer folded;
        std::vector<std::complex<double>> phases;
        int column = kNoColumn;
        std::optional<FftBuffer> fine;  // the whole fine grid, for Envelope alone
    };
    Scratch NewScratch() const;

    // psi (or its derivative of the given order in x, per m^order) of grid
    // rows 0 .. rows - 1 at grid column `column`, into out[0], out[stride],
    // ...; quickest column after column. The derivatives are spectral: exact
    // for the sampled field. A column's values depend on the column alone,
    // not on what the scratch served before.
    void Column(int column, int rows, Scratch& scratch, std::complex<double>* out, std::ptrdiff_t stride,
                int derivative = 0) const;

    // The envelope psi e^(-i k z) (or its derivative of order xOrder in x,
    // and with alongZ its derivative in z as well) at `count` consecutive
    // points of the fine grid, the first `offset` points from grid row 0's
    // (the grid is periodic), into out[0], out[stride], ...
    void Envelope(int column, std::ptrdiff_t offset, std::size_t count, Scratch& scratch, int xOrder, bool alongZ,
                  std::complex<double>* out, std::ptrdiff_t stride) const;

private:
    static constexpr int kNoColumn = INT_MIN;
    // Phases are computed afresh at every this many columns and stepped from
    // there, the density's tiles starting at such columns.
    static constexpr int kPhaseAnchorColumns = 16;

    // Brings the scratch's phases to the column.
    void MovePhases(int column, Scratch& scratch) const;
    // The transform's input: the propagated spectrum times the derivative's
    // factor, folded onto `points` points, but for a power of i it returns.
    int FoldSpectrum(const Scratch& scratch, int xOrder, bool alongZ, std::complex<double>* values,
                     std::size_t points) const;

    const SimulationState& state_;
    WaveGrid grid_;
    Fft1D foldedTransform_;
    Fft1D fineTransform_;
    FftBuffer spectrum_;
    std::vector<double> wavenumbers_;  // kx of each point of the spectrum, 1/m
    std::vector<double> lags_;         // k - kz of each, 1/m; 0 where it cannot propagate
    // The plane waves of index -reach .. reach carry the field; the others
    // are below 1e-18 of the strongest and are left out. A wave and its
    // mirror share a phase, so phases are kept for 0 .. reach alone.
    std::size_t reach_ = 0;
    std::vector<std::complex<double>> steps_;  // e^(-i lag dz) of the waves 0 .. reach
    double wavenumber_;                // k = 2 pi / lambda
    double evanescentWeight_ = 0.0;
};

}  // namespace nivaro
