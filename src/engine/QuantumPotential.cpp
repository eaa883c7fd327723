#include "QuantumPotential.h"

#include <algorithm>
#include <iterator>
#include <vector>
#include <cmath>
#include <limits>
#include <optional>

#include "DensityGrid.h"
#include "OrderedBlocks.h"
#include "PhysicalConstants.h"
#include "SettingsValidation.h"
#include "WaveFunction.h"
#include "WaveModel.h"

namespace nivaro {
namespace {

constexpr int kColumnsPerBlock = 8;

constexpr double kNegligibleTerm = 1e-40;  // relative to the nearest slit's term, far below rounding

// psi up to a factor (the slit sum S, or the wave model's psi itself) and
// its x derivatives.
struct PsiDerivatives {
    Complex s;
    Complex first;   // dS/dx
    Complex second;  // d2S/dx2
    double logScale = 0.0;  // the sums are divided by exp(logScale)
};

void AddTerm(PsiDerivatives& sums, const Complex& a, double u, const Complex& term)
{
    const Complex slope = 2.0 * a * u;
    sums.s += term;
    sums.first += slope * term;
    sums.second += (2.0 * a + slope * slope) * term;
}

// Each term exp(A u^2) with its derivatives 2 A u exp(A u^2) and
// (2 A + 4 A^2 u^2) exp(A u^2), every term by its own exponential.
PsiDerivatives DirectSums(const Complex& a, double x, int slits, double d)
{
    PsiDerivatives sums{};
    double u = x - (slits - 1) * 0.5 * d;
    for (int k = 0; k < slits; ++k) {
        AddTerm(sums, a, u, Exp(a * (u * u)));
        u += d;
    }
    return sums;
}

// The same sums divided by the nearest slit's term (Q only needs their
// ratios): outward from that slit, each next term is the last times a ratio
// that itself changes by exp(2 A d^2) a slit, so a point costs two
// exponentials whatever N is; the walk stops where terms no longer count.
PsiDerivatives OutwardSums(const Complex& a, const Complex& ratioStep, double x, int slits, double d)
{
    PsiDerivatives sums{};
    const double first = x - (slits - 1) * 0.5 * d;  // u of slit 0
    const int nearest = std::clamp(static_cast<int>(std::lround(-first / d)), 0, slits - 1);
    const double un = first + nearest * d;
    sums.logScale = a.real() * un * un;
    AddTerm(sums, a, un, Complex{1.0, 0.0});
    const double negligible = kNegligibleTerm * kNegligibleTerm;
    for (const int direction : {1, -1}) {
        Complex term{1.0, 0.0};
        // exp(A (u_next^2 - u^2)) with u_next = u + direction d
        Complex ratio = Exp(a * (d * (2 * direction * un + d)));
        double u = un;
        for (int k = nearest + direction; k >= 0 && k < slits; k += direction) {
            term *= ratio;
            u += direction * d;
            if (std::norm(term) < negligible) {
                break;
            }
            AddTerm(sums, a, u, term);
            ratio *= ratioStep;
        }
    }
    return sums;
}

double PotentialOf(const PsiDerivatives& sums, double hbarSquaredOverTwoM)
{
    const Complex slope = sums.first / sums.s;
    const Complex curvature = sums.second / sums.s;
    return -hbarSquaredOverTwoM * (curvature.real() + slope.imag() * slope.imag()) / kElectronVolt;
}

}  // namespace

double QuantumPotentialAt(const SimulationParameters& parameters, double x, double z)
{
    const ColumnCoefficients column = ComputeColumnCoefficients(parameters, z);
    const PsiDerivatives sums = DirectSums(column.gaussExponent, x, parameters.slits, parameters.d);
    return PotentialOf(sums, kHbar * kHbar / (2 * parameters.mass));
}

namespace {

// The columns of a run of Q, and where its progress stands: `done` of
// `total` columns are behind it (a streamed Q passes the grid twice).
struct ColumnSpan {
    int first;
    int count;
    long long done;
    long long total;
};

// Q and log R of one grid column at a time, from the slit sums or from the
// wave model's psi and its spectral x derivatives.
class PotentialColumns {
public:
    PotentialColumns(const SimulationState& state, const SimulationParameters& parameters, int threads)
        : state_(state), parameters_(parameters), factor_(kHbar * kHbar / (2 * parameters.mass))
    {
        if (parameters.wave.model == FieldModel::Wave) {
            wave_.emplace(state, threads);
        }
    }

    // Into column `at` of the views, on thread `worker`.
    void Compute(int column, int at, int worker, const GridView<double>& q, const GridView<double>& logAmplitude)
    {
        if (wave_) {
            ComputeWave(column, at, wave_->workers[static_cast<std::size_t>(worker)], q, logAmplitude);
        } else {
            ComputeSlits(column, at, q, logAmplitude);
        }
    }

private:
    struct WaveWorker {
        WavePropagation::Scratch scratch;
        std::vector<Complex> derivatives;  // psi, psi' and psi'' of the column's rows, row after row
    };
    struct Wave {
        Wave(const SimulationState& state, int threads) : propagation(state)
        {
            for (int worker = 0; worker < threads; ++worker) {
                workers.push_back(
                    {propagation.NewScratch(), std::vector<Complex>(3 * static_cast<std::size_t>(state.grid.nx))});
            }
        }
        WavePropagation propagation;
        std::vector<WaveWorker> workers;
    };

    void ComputeSlits(int j, int at, const GridView<double>& q, const GridView<double>& logAmplitude) const
    {
        const ColumnCoefficients column = ComputeColumnCoefficients(parameters_, ColumnPosition(state_, j));
        const Complex& a = column.gaussExponent;
        const Complex ratioStep = Exp(2.0 * a * (parameters_.d * parameters_.d));
        const double logColumn = std::log(std::abs(column.columnFactor));
        for (int i = 0; i < state_.grid.nx; ++i) {
            const PsiDerivatives sums = OutwardSums(a, ratioStep, RowPosition(state_, i), parameters_.slits, parameters_.d);
            logAmplitude(i, at) = logColumn + sums.logScale + std::log(std::abs(sums.s));
            q(i, at) = PotentialOf(sums, factor_);
        }
    }

    void ComputeWave(int j, int at, WaveWorker& worker, const GridView<double>& q,
                     const GridView<double>& logAmplitude) const
    {
        const int nx = state_.grid.nx;
        Complex* values = worker.derivatives.data();
        for (int order = 0; order < 3; ++order) {
            wave_->propagation.Column(j, nx, worker.scratch, values + order, 3, order);
        }
        for (int i = 0; i < nx; ++i) {
            const Complex* psi = values + 3 * static_cast<std::ptrdiff_t>(i);
            logAmplitude(i, at) = std::log(std::abs(psi[0]));
            q(i, at) = PotentialOf({psi[0], psi[1], psi[2]}, factor_);
        }
    }

    const SimulationState& state_;
    const SimulationParameters& parameters_;
    double factor_;  // hbar^2 / 2m
    std::optional<Wave> wave_;
};

// Q and log R of the span's columns into q and logAmplitude (column 0 of the
// views is the span's first; columns not reached by a stop are left alone),
// in parallel over blocks of columns.
void ComputeColumns(const SimulationState& state, PotentialColumns& columns, int threads, const ColumnSpan& span,
                    const GridView<double>& q, const GridView<double>& logAmplitude, ProgressSink& progress,
                    const ElapsedSeconds& elapsed)
{
    const int blocks = (span.count + kColumnsPerBlock - 1) / kColumnsPerBlock;
    RunBlocksInOrder(
        blocks, threads,
        [&](int block, int worker) {
            const int last = std::min(span.count, (block + 1) * kColumnsPerBlock);
            for (int c = block * kColumnsPerBlock; c < last; ++c) {
                columns.Compute(span.first + c, c, worker, q, logAmplitude);
            }
        },
        [&](int finished) {
            const long long done = span.done + std::min(finished * kColumnsPerBlock, span.count);
            progress.Advance(
                {ProgressKind::QuantumPotentialColumns, static_cast<int>(done * 100 / span.total), elapsed()});
            return !state.stopRequested.load();
        });
}

// Columns not reached have no Q and no amplitude.
void MarkUnreached(const GridView<double>& q, const GridView<double>& logAmplitude)
{
    for (int i = 0; i < q.rows; ++i) {
        std::fill_n(q.Row(i), q.cols, std::numeric_limits<double>::quiet_NaN());
        std::fill_n(logAmplitude.Row(i), q.cols, -std::numeric_limits<double>::infinity());
    }
}

// Q has no value where R lies below the floor (log R + log 1e-12 of the
// largest R).
void ApplyFloor(const GridView<double>& q, const GridView<const double>& logAmplitude, double floor)
{
    for (int i = 0; i < q.rows; ++i) {
        for (int j = 0; j < q.cols; ++j) {
            if (!(logAmplitude(i, j) >= floor) || !std::isfinite(floor)) {
                q(i, j) = std::numeric_limits<double>::quiet_NaN();
            }
        }
    }
}

SimulationParameters DerivedParameters(const SimulationState& state)
{
    RequireUsableSettings(state);
    RequireCoherentBeam(state, "the quantum potential's values");
    SimulationParameters parameters = state.parameters;
    parameters.UpdateDerived();
    return parameters;
}

}  // namespace

void ComputeQuantumPotential(const SimulationState& state, RealMatrixT& q, ProgressSink& progress)
{
    const SimulationParameters parameters = DerivedParameters(state);
    const int nx = state.grid.nx;
    const int nz = state.grid.nz;
    q.Reshape(nx, nz);
    RealMatrixT logAmplitude(nx, nz);  // log R, so that no amplitude underflows before the floor test
    MarkUnreached(q.View(), logAmplitude.View());
    const int threads = ThreadCount(state.threads);
    PotentialColumns columns(state, parameters, threads);
    ComputeColumns(state, columns, threads, {0, nz, 0, nz}, q.View(), logAmplitude.View(), progress, ElapsedSeconds{});
    ApplyFloor(q.View(), logAmplitude.View(), logAmplitude.MaxElement() + std::log(kQuantumPotentialFloor));
}

void StreamQuantumPotential(const SimulationState& state, ProgressSink& progress, int blockColumns,
                            const QuantumPotentialWriter& write)
{
    const SimulationParameters parameters = DerivedParameters(state);
    const int nx = state.grid.nx;
    const int nz = state.grid.nz;
    const int width = std::clamp(blockColumns, 1, nz);
    RealMatrixT q(nx, width);
    RealMatrixT logAmplitude(nx, width);
    const int threads = ThreadCount(state.threads);
    PotentialColumns columns(state, parameters, threads);
    const ElapsedSeconds elapsed;
    // Computes each block of one pass and hands it on; false after a stop,
    // which leaves the block under way incomplete.
    const auto pass = [&](int index, const auto& use) {
        for (int first = 0; first < nz; first += width) {
            const ColumnSpan span{first, std::min(width, nz - first), static_cast<long long>(index) * nz + first,
                                  2LL * nz};
            const GridView<double> qView(q.Data(), nx, span.count, width);
            const GridView<double> logView(logAmplitude.Data(), nx, span.count, width);
            ComputeColumns(state, columns, threads, span, qView, logView, progress, elapsed);
            if (state.stopRequested) {
                return false;
            }
            use(first, qView, logView);
        }
        return true;
    };
    // The first pass finds the largest amplitude, which the floor needs, as
    // the whole grid's largest element (the first, then each strictly
    // greater one); the second computes the same values again and writes them.
    double largest = 0.0;
    bool seen = false;
    const bool found = pass(0, [&](int, const GridView<double>&, const GridView<double>& logView) {
        for (int i = 0; i < logView.rows; ++i) {
            for (int j = 0; j < logView.cols; ++j) {
                if (!seen || logView(i, j) > largest) {
                    largest = logView(i, j);
                    seen = true;
                }
            }
        }
    });
    if (!found) {
        return;
    }
    const double floor = largest + std::log(kQuantumPotentialFloor);
    pass(1, [&](int first, const GridView<double>& qView, const GridView<double>& logView) {
        ApplyFloor(qView, logView, floor);
        write(first, qView);
    });
}

ValueRange QuantumPotentialRange(const RealMatrixT& q)
{
    std::vector<double> values;
    for (int i = 0; i < q.Rows(); ++i) {
        std::copy_if(q[i], q[i] + q.Cols(), std::back_inserter(values), [](double v) { return !std::isnan(v); });
    }
    if (values.empty()) {
        return {0.0, 0.0};
    }
    const auto at = [&values](double share) {
        const auto index = static_cast<std::ptrdiff_t>(share * static_cast<double>(values.size() - 1));
        std::nth_element(values.begin(), values.begin() + index, values.end());
        return values[static_cast<std::size_t>(index)];
    };
    const double low = at(0.01);
    return {low, at(0.99)};
}

}  // namespace nivaro
