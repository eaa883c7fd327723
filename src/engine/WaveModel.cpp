#include "WaveModel.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "DensityGrid.h"
#include "PhysicalConstants.h"
#include "SettingsValidation.h"

namespace nivaro {
namespace {

// Fine points per transmission feature (a Gaussian opening's sigma0, an
// edge's rms width, a phase grating's shortest local period / 2 pi).
constexpr double kPointsPerFeature = 4.0;
// Beyond kx = kSpectrumReach / feature the transmission's spectrum is below
// 1e-16 of its peak: it sets how far the field spreads.
constexpr double kSpectrumReach = 8.5;
// Plane waves weaker than this share of the strongest are left out.
constexpr double kNegligibleWave = 1e-18;
// Edge widths beyond an opening's nominal edge where its transmission has
// fallen to 1e-16 of its step.
constexpr double kEdgeReach = 8.5;

// The transmission of an opening of the width centred at u = 0, its edges
// blurred by a Gaussian of rms width `edge`.
double SoftOpening(double u, double width, double edge)
{
    const double scale = 1.0 / (std::sqrt(2.0) * edge);
    return 0.5 * (std::erf((u + width / 2) * scale) - std::erf((u - width / 2) * scale));
}

// The half width of the x range the grating's field occupies.
double GratingReach(const SimulationParameters& parameters)
{
    const double outer = (parameters.slits - 1) * 0.5 * parameters.d;
    switch (parameters.wave.grating) {
    case GratingKind::Gaussian:
        return outer + 9 * parameters.sigma0;
    case GratingKind::Rectangular:
        return outer + parameters.slitWidth / 2 + kEdgeReach * parameters.wave.EdgeWidth(parameters.d);
    case GratingKind::Phase:
        return parameters.slits * 0.5 * parameters.d + kEdgeReach * parameters.wave.EdgeWidth(parameters.d);
    case GratingKind::File:
        return std::max(std::abs(parameters.wave.transmission->First()), std::abs(parameters.wave.transmission->Last()));
    }
    return outer;
}

// The plain product: the library's guards against infinities cost more
// than the product here, where none can occur.
std::complex<double> Product(const std::complex<double>& a, const std::complex<double>& b)
{
    return {a.real() * b.real() - a.imag() * b.imag(), a.real() * b.imag() + a.imag() * b.real()};
}

// The value times i^turns, exactly.
std::complex<double> QuarterTurns(const std::complex<double>& value, int turns)
{
    switch (turns) {
    case 1:
        return {-value.imag(), value.real()};
    case 2:
        return -value;
    case 3:
        return {value.imag(), -value.real()};
    default:
        return value;
    }
}

}  // namespace

double SmallestFeature(const SimulationParameters& parameters)
{
    const WaveSettings& wave = parameters.wave;
    if (wave.model == FieldModel::Slits || wave.grating == GratingKind::Gaussian) {
        return parameters.sigma0;
    }
    if (wave.grating == GratingKind::File) {
        return wave.transmission->SmallestStep();
    }
    const double edge = wave.EdgeWidth(parameters.d);
    return wave.grating == GratingKind::Rectangular
               ? edge
               : std::min(edge, parameters.d / (2 * kPi * (1 + std::abs(wave.phaseDepth))));
}

std::complex<double> GratingField(const SimulationParameters& parameters, double x)
{
    const std::complex<double> transmitted = Transmission(parameters, x);
    const double tilt = parameters.wave.tilt;
    return tilt == 0.0 ? transmitted : transmitted * std::polar(1.0, 2 * kPi / parameters.lambda * std::sin(tilt) * x);
}

std::complex<double> Transmission(const SimulationParameters& parameters, double x)
{
    const double amplitude = std::sqrt(kInverseSqrtTwoPi / parameters.sigma0);
    const int slits = parameters.slits;
    const double d = parameters.d;
    const WaveSettings& wave = parameters.wave;
    if (wave.grating == GratingKind::File) {
        return amplitude * wave.transmission->At(x);
    }
    if (wave.grating == GratingKind::Phase) {
        const double window = SoftOpening(x, slits * d, wave.EdgeWidth(d));
        return amplitude * window * std::polar(1.0, wave.phaseDepth * std::cos(2 * kPi * x / d));
    }
    double sum = 0.0;
    for (int k = 0; k < slits; ++k) {
        const double u = x - (k - (slits - 1) * 0.5) * d;
        sum += wave.grating == GratingKind::Gaussian
                   ? std::exp(-u * u / (4 * parameters.sigma0 * parameters.sigma0))
                   : SoftOpening(u, parameters.slitWidth, wave.EdgeWidth(d));
    }
    return amplitude * sum;
}

double WaveRowStride(const SimulationState& state, int refinement)
{
    const double rowSpacing = state.grid.dx / state.scaleX.Factor();
    return std::max(1.0, std::ceil(rowSpacing * kPointsPerFeature * std::max(refinement, 1) /
                                   SmallestFeature(state.parameters)));
}

WaveGrid PlanWaveGrid(const SimulationState& state, int refinement)
{
    const SimulationParameters& parameters = state.parameters;
    const double wavenumber = 2 * kPi / parameters.lambda;
    // A tilted beam's transverse wavenumber shifts the whole spectrum: the
    // grid resolves it as if the features were that much finer.
    const double transverse = wavenumber * std::abs(std::sin(parameters.wave.tilt));
    const double feature = 1.0 / (1.0 / SmallestFeature(parameters) + transverse / kSpectrumReach);
    const double rowSpacing = state.grid.dx / state.scaleX.Factor();
    WaveGrid grid;
    grid.rowStride = static_cast<std::size_t>(WaveRowStride(state, refinement));
    grid.spacing = rowSpacing / static_cast<double>(grid.rowStride);
    // How far the field spreads sideways over the window: kx / kz per unit of z.
    const double reach = kSpectrumReach / feature;
    double slope = reach / wavenumber;  // paraxial: a plane wave of kx moves by kx z / k
    if (parameters.wave.propagator == Propagator::Exact) {
        // The steepest plane waves still propagating, up to 82 degrees.
        slope = reach < 0.99 * wavenumber ? reach / std::sqrt(wavenumber * wavenumber - reach * reach) : 7.0;
    }
    const double farthest = std::max(std::abs(ColumnPosition(state, 0)), std::abs(ColumnPosition(state, state.grid.nz - 1)));
    const double margin = farthest * slope;
    const double gratingReach = GratingReach(parameters);
    const double left = std::min(RowPosition(state, 0), -gratingReach) - margin;
    const double right = std::max(RowPosition(state, state.grid.nx - 1), gratingReach) + margin;
    const double points = (right - left) / grid.spacing + 2;
    if (!(points <= static_cast<double>(kLargestWaveGrid))) {
        throw UnusableSettingsError({{"model", "wave",
                                      "its fine grid would need " + std::to_string(static_cast<long long>(points)) +
                                          " points, more than " + std::to_string(kLargestWaveGrid)}});
    }
    // Grid rows fall on whole multiples of the stride, and the size is one
    // too, so that the rows alone can be had from a transform of size / stride.
    const std::size_t stride = grid.rowStride;
    grid.firstRow = static_cast<std::size_t>(std::ceil((RowPosition(state, 0) - left) / grid.spacing / stride)) * stride;
    const std::size_t rows = std::max(static_cast<std::size_t>(points), grid.firstRow + state.grid.nx * stride);
    grid.size = FastFftSize((rows + stride - 1) / stride) * stride;
    return grid;
}

WavePropagation::WavePropagation(const SimulationState& state, int refinement)
    : state_(state),
      grid_(PlanWaveGrid(state, refinement)),
      foldedTransform_(grid_.size / grid_.rowStride),
      fineTransform_(grid_.size),
      spectrum_(grid_.size),
      wavenumbers_(grid_.size),
      lags_(grid_.size, 0.0),
      wavenumber_(2 * kPi / state.parameters.lambda)
{
    const double firstX = RowPosition(state, 0) - static_cast<double>(grid_.firstRow) * grid_.spacing;
    std::complex<double>* field = spectrum_.Data();
    for (std::size_t j = 0; j < grid_.size; ++j) {
        field[j] = GratingField(state.parameters, firstX + static_cast<double>(j) * grid_.spacing);
    }
    fineTransform_.Forward(spectrum_);
    const double size = static_cast<double>(grid_.size);
    const double step = 2 * kPi / (size * grid_.spacing);
    const bool exact = state.parameters.wave.propagator == Propagator::Exact;
    double total = 0.0;
    double evanescent = 0.0;
    for (std::size_t q = 0; q < grid_.size; ++q) {
        const double index = q < grid_.size / 2 ? static_cast<double>(q) : static_cast<double>(q) - size;
        const double kx = index * step;
        wavenumbers_[q] = kx;
        // k - kz = kx^2 / (k + kz), without the cancellation of the
        // difference; 0 for the waves the exact propagator drops.
        if (!exact) {
            lags_[q] = kx * kx / (2 * wavenumber_);
        } else if (std::abs(kx) < wavenumber_) {
            lags_[q] = kx * kx / (wavenumber_ + std::sqrt(wavenumber_ * wavenumber_ - kx * kx));
        }
        field[q] /= size;  // so that the inverse transform gives the field itself
        const double weight = std::norm(field[q]);
        total += weight;
        if (std::abs(kx) >= wavenumber_) {
            evanescent += weight;
        }
    }
    if (exact && total > 0.0) {
        evanescentWeight_ = evanescent / total;
    }
    double strongest = 0.0;
    for (std::size_t q = 0; q < grid_.size; ++q) {
        strongest = std::max(strongest, std::abs(field[q]));
    }
    for (std::size_t q = 0; q < grid_.size; ++q) {
        if (std::abs(field[q]) > kNegligibleWave * strongest) {
            reach_ = std::max(reach_, q <= grid_.size / 2 ? q : grid_.size - q);
        }
    }
    // One column's phase step of each wave (0 for those dropped).
    const double columnStep = ColumnPosition(state, 1) - ColumnPosition(state, 0);
    steps_.resize(reach_ + 1);
    for (std::size_t q = 0; q <= reach_; ++q) {
        const bool dropped = exact && std::abs(wavenumbers_[q]) >= wavenumber_;
        steps_[q] = dropped ? 0.0 : std::polar(1.0, -lags_[q] * columnStep);
    }
}

WavePropagation::Scratch WavePropagation::NewScratch() const
{
    return Scratch{FftBuffer(grid_.size / grid_.rowStride), std::vector<std::complex<double>>(reach_ + 1), kNoColumn,
                   std::nullopt};
}

// The plane waves' phases follow from column to column by a constant factor;
// stepping from the last anchor keeps every column's rounding the same
// whichever columns came before.
void WavePropagation::MovePhases(int column, Scratch& scratch) const
{
    const int anchor = column - ((column % kPhaseAnchorColumns) + kPhaseAnchorColumns) % kPhaseAnchorColumns;
    if (scratch.column == kNoColumn || scratch.column < anchor || scratch.column > column) {
        const double z = ColumnPosition(state_, anchor);
        for (std::size_t q = 0; q <= reach_; ++q) {
            scratch.phases[q] = steps_[q] == 0.0 ? 0.0 : std::polar(1.0, -lags_[q] * z);
        }
        scratch.column = anchor;
    }
    for (; scratch.column < column; ++scratch.column) {
        for (std::size_t q = 0; q <= reach_; ++q) {
            scratch.phases[q] = Product(scratch.phases[q], steps_[q]);
        }
    }
}

// Folding the spectrum onto size / n points gives every n-th point of the
// field. d/dx multiplies a plane wave by i kx, d/dz its envelope by -i lag:
// the fold takes the real kx^xOrder lag^alongZ, and the power of i they
// leave, the same for every wave, is returned as quarter turns.
int WavePropagation::FoldSpectrum(const Scratch& scratch, int xOrder, bool alongZ, std::complex<double>* values,
                                  std::size_t points) const
{
    if (xOrder < 0 || xOrder > 4) {
        throw std::invalid_argument("the wave model gives x derivatives of order 0 to 4 only");
    }
    const std::complex<double>* spectrum = spectrum_.Data();
    std::fill(values, values + points, std::complex<double>{});
    const auto fold = [&](auto factor) {
        // The waves q in first .. last - 1, a part of `points` at a time.
        const auto add = [&](std::size_t first, std::size_t last, auto phaseOf) {
            for (std::size_t q = first; q < last;) {
                const std::size_t part = q - q % points;
                for (const std::size_t end = std::min(last, part + points); q < end; ++q) {
                    values[q - part] += factor(q) * Product(spectrum[q], scratch.phases[phaseOf(q)]);
                }
            }
        };
        const std::size_t size = grid_.size;
        add(0, reach_ + 1, [](std::size_t q) { return q; });
        add(std::max(reach_ + 1, size - reach_), size, [size](std::size_t q) { return size - q; });
    };
    if (xOrder == 0 && !alongZ) {
        fold([](std::size_t) { return 1.0; });
    } else {
        fold([&](std::size_t q) {
            double factor = alongZ ? lags_[q] : 1.0;
            for (int order = 0; order < xOrder; ++order) {
                factor *= wavenumbers_[q];
            }
            return factor;
        });
    }
    return (xOrder + (alongZ ? 3 : 0)) % 4;
}

void WavePropagation::Column(int column, int rows, Scratch& scratch, std::complex<double>* out,
                             std::ptrdiff_t stride, int derivative) const
{
    if (derivative > 2) {
        throw std::invalid_argument("the wave model gives x derivatives of order 0 to 2 only");
    }
    MovePhases(column, scratch);
    // The rows are every stride-th point.
    const std::size_t folded = grid_.size / grid_.rowStride;
    std::complex<double>* values = scratch.folded.Data();
    const int turns = FoldSpectrum(scratch, derivative, false, values, folded);
    foldedTransform_.Backward(scratch.folded);
    const double z = ColumnPosition(state_, column);
    const std::complex<double> carrier = QuarterTurns(std::polar(1.0, std::fmod(wavenumber_ * z, 2 * kPi)), turns);
    const std::size_t first = grid_.firstRow / grid_.rowStride;
    for (int i = 0; i < rows; ++i) {
        out[i * stride] = carrier * values[first + static_cast<std::size_t>(i)];
    }
}

void WavePropagation::Envelope(int column, std::ptrdiff_t offset, std::size_t count, Scratch& scratch, int xOrder,
                               bool alongZ, std::complex<double>* out, std::ptrdiff_t stride) const
{
    MovePhases(column, scratch);
    if (!scratch.fine) {
        scratch.fine.emplace(grid_.size);
    }
    std::complex<double>* values = scratch.fine->Data();
    const int turns = FoldSpectrum(scratch, xOrder, alongZ, values, grid_.size);
    fineTransform_.Backward(*scratch.fine);
    const auto size = static_cast<std::ptrdiff_t>(grid_.size);
    std::ptrdiff_t point = ((static_cast<std::ptrdiff_t>(grid_.firstRow) + offset) % size + size) % size;
    for (std::size_t k = 0; k < count; ++k) {
        out[static_cast<std::ptrdiff_t>(k) * stride] = QuarterTurns(values[point], turns);
        point = point + 1 == size ? 0 : point + 1;
    }
}

}  // namespace nivaro
