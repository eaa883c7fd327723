#include "DensityGrid.h"

#include <algorithm>
#include <functional>
#include <new>
#include <optional>
#include <vector>

#include "DensityKernel.h"
#include "OrderedBlocks.h"
#include "PartialCoherence.h"
#include "SettingsValidation.h"
#include "WaveFunction.h"
#include "WaveModel.h"

namespace nivaro {
namespace {

DensityKernelInput PrepareKernel(const SimulationState& state)
{
    const SimulationParameters& parameters = state.parameters;
    DensityKernelInput input;
    input.nx = state.grid.nx;
    input.nz = state.grid.nz;
    input.rowsWanted = state.grid.nx;
    input.firstRowX = RowPosition(state, 0);
    input.rowSpacing = state.grid.dx / state.scaleX.Factor();
    input.normalisation = DensityNormalisation(parameters);
    input.slitPeriod = parameters.d;
    for (int k = 0; k < parameters.slits; ++k) {
        input.slitOffsets.push_back(-(parameters.slits - 1) * 0.5 * parameters.d + k * parameters.d);
    }
    const int tiles = (input.nz + kDensityTileColumns - 1) / kDensityTileColumns;
    const std::size_t padded = static_cast<std::size_t>(tiles) * kDensityTileColumns;
    for (std::vector<double>* values : {&input.gaussRe, &input.gaussIm, &input.factorRe, &input.factorIm}) {
        values->resize(padded);
    }
    for (std::size_t column = 0; column < padded; ++column) {
        const int source = std::min(static_cast<int>(column), input.nz - 1);
        const ColumnCoefficients coefficients = ComputeColumnCoefficients(parameters, ColumnPosition(state, source));
        input.gaussRe[column] = coefficients.gaussExponent.real();
        input.gaussIm[column] = coefficients.gaussExponent.imag();
        input.factorRe[column] = coefficients.columnFactor.real();
        input.factorIm[column] = coefficients.columnFactor.imag();
    }
    return input;
}

}  // namespace

double RowPosition(const SimulationState& state, double row)
{
    return (row - state.grid.nx * 0.5) * state.grid.dx / state.scaleX.Factor();
}

double ColumnPosition(const SimulationState& state, double column)
{
    return column * state.grid.dz / state.scaleZ.Factor() + state.parameters.zOffset;
}

namespace {

std::vector<double> Positions(const SimulationState& state, int count, double (*position)(const SimulationState&, double))
{
    std::vector<double> values(static_cast<std::size_t>(std::max(count, 0)));
    for (int k = 0; k < count; ++k) {
        values[static_cast<std::size_t>(k)] = position(state, k);
    }
    return values;
}

}  // namespace

std::vector<double> RowPositions(const SimulationState& state)
{
    return Positions(state, state.grid.nx, RowPosition);
}

std::vector<double> ColumnPositions(const SimulationState& state)
{
    return Positions(state, state.grid.nz, ColumnPosition);
}

namespace {

// The wave model's columns of a tile into the kernel's output, each thread
// with a transform buffer of its own.
class WaveColumns {
public:
    WaveColumns(const SimulationState& state, int threads, int rows)
        : propagation_(state),
          columns_(static_cast<std::size_t>(threads), std::vector<Complex>(static_cast<std::size_t>(rows)))
    {
        for (int worker = 0; worker < threads; ++worker) {
            scratch_.push_back(propagation_.NewScratch());
        }
    }

    void ComputeTile(int firstColumn, int count, int worker, const DensityKernelInput& input,
                     const DensityKernelOutput& output)
    {
        const int rows = input.rowsWanted;
        std::vector<Complex>& psi = columns_[static_cast<std::size_t>(worker)];
        for (int column = firstColumn; column < firstColumn + count; ++column) {
            propagation_.Column(column, rows, scratch_[static_cast<std::size_t>(worker)], psi.data(), 1);
            const int at = column - output.firstColumn;
            for (int row = 0; row < rows; ++row) {
                const Complex value = psi[static_cast<std::size_t>(row)];
                if (!output.psi.Empty()) {
                    output.psi(row, at) = value;
                }
                if (!output.density.Empty()) {
                    double& density = output.density(row, at);
                    density = (output.addToDensity ? density : 0.0) + std::norm(value) * input.normalisation;
                }
            }
        }
    }

private:
    WavePropagation propagation_;
    std::vector<WavePropagation::Scratch> scratch_;
    std::vector<std::vector<Complex>> columns_;  // one column of psi per thread
};

// Runs the kernel (or the wave model) over the tiles of columns output.firstColumn ..
// output.firstColumn + columns - 1 (a whole number of tiles but for the
// grid's last); progress, counted over the grid's columns, and the stop flag
// are told per tile when a sink is given.
void RunKernel(const SimulationState& state, const DensityKernelInput& input, int columns,
               const DensityKernelOutput& output, ProgressSink* progress)
{
    // Starting a thread costs about as much as a million slit terms, so small
    // grids stay on one thread unless a thread count was asked for.
    const long long terms = static_cast<long long>(input.rowsWanted) * columns * state.parameters.slits;
    const bool asked = state.threads > 0 || ThreadsFromEnvironment() > 0;
    const bool wave = state.parameters.wave.model == FieldModel::Wave;
    const int tiles = (columns + kDensityTileColumns - 1) / kDensityTileColumns;
    const int threads = std::min(tiles, asked || wave ? ThreadCount(state.threads)
                                                      : static_cast<int>(std::min<long long>(ThreadCount(0), 1 + terms / 1000000)));
    const int first = output.firstColumn;
    std::function<void(int firstColumn, int count, int worker)> computeTile;
    std::vector<DensityKernelScratch> scratch;
    std::optional<WaveColumns> waveColumns;
    if (wave) {
        waveColumns.emplace(state, threads, input.rowsWanted);
        computeTile = [&](int firstColumn, int count, int worker) {
            waveColumns->ComputeTile(firstColumn, count, worker, input, output);
        };
    } else {
        scratch.assign(static_cast<std::size_t>(threads), DensityKernelScratch(state.parameters.slits));
        computeTile = [&](int firstColumn, int count, int worker) {
            ComputeDensityTile(input, firstColumn, count, scratch[static_cast<std::size_t>(worker)], output);
        };
    }
    const ElapsedSeconds elapsed;
    RunBlocksInOrder(
        tiles, threads,
        [&](int tile, int worker) {
            const int firstColumn = tile * kDensityTileColumns;
            computeTile(first + firstColumn, std::min(kDensityTileColumns, columns - firstColumn), worker);
        },
        [&](int finishedTiles) {
            if (progress == nullptr) {
                return true;
            }
            const int lastColumn = first + std::min(finishedTiles * kDensityTileColumns, columns) - 1;
            progress->Advance(
                {ProgressKind::DensityColumns, static_cast<int>(lastColumn * 100LL / input.nz), elapsed()});
            return !state.stopRequested.load();
        });
}

// Reports a sample's progress as its share of the whole average: the
// samples of a block of columns follow one another, the blocks follow in
// order.
class SampleProgress final : public ProgressSink {
public:
    SampleProgress(ProgressSink* outer, int nz, int samples) : outer_(outer), nz_(nz), samples_(samples) {}

    // The sample under way works on `width` columns from grid column
    // `first`; the columns before it are done for every sample.
    void Begin(int first, int width, int sample)
    {
        first_ = first;
        done_ = static_cast<long long>(first) * samples_ + static_cast<long long>(width) * sample;
    }

protected:
    void Show(const ProgressReport& report) override
    {
        if (outer_ == nullptr) {
            return;
        }
        const long long columns = std::max(0LL, static_cast<long long>(report.percent) * nz_ / 100 - first_);
        const long long total = static_cast<long long>(nz_) * samples_;
        outer_->Advance({report.kind, static_cast<int>((done_ + columns) * 100 / total), elapsed_()});
    }

private:
    ProgressSink* outer_;
    int nz_;
    int samples_;
    int first_ = 0;
    long long done_ = 0;
    ElapsedSeconds elapsed_;
};

// The density of a partially coherent beam on the columns of output (psi has
// none): each sample's density, weighted, stored by the first and added in
// place by the others.
void RunAveraged(SimulationState& state, int columns, const DensityKernelOutput& output, ProgressSink* progress)
{
    const std::vector<CoherenceSample> samples = CoherenceQuadrature(state);
    SampleProgress sampleProgress(progress, state.grid.nz, static_cast<int>(samples.size()));
    for (std::size_t s = 0; s < samples.size() && !state.stopRequested; ++s) {
        sampleProgress.Begin(output.firstColumn, columns, static_cast<int>(s));
        const SampleParameters sample(state, samples[s]);
        DensityKernelInput input = PrepareKernel(state);
        input.rowsWanted = output.density.rows;
        input.normalisation *= samples[s].weight;
        RunKernel(state, input, columns, {{}, output.density, output.firstColumn, s > 0}, &sampleProgress);
    }
}

// The density (and psi) over the columns of output, coherent or not.
void RunDensity(SimulationState& state, const DensityKernelInput& input, int columns,
                const DensityKernelOutput& output, ProgressSink* progress)
{
    if (state.parameters.wave.PartiallyCoherent()) {
        RunAveraged(state, columns, output, progress);
    } else {
        RunKernel(state, input, columns, output, progress);
    }
}

}  // namespace

void ComputeDensityGrid(SimulationState& state, ProgressSink& progress, PsiKept psi)
{
    RequireUsableSettings(state);
    if (psi == PsiKept::Whole) {
        RequireCoherentBeam(state, "psi arrays");
    }
    state.parameters.UpdateDerived();
    const int nx = state.grid.nx;
    const int nz = state.grid.nz;
    // A plan without psi frees the one of an earlier run first.
    state.psiField.Reshape(psi == PsiKept::Whole ? nx : 0, psi == PsiKept::Whole ? nz : 0);
    try {
        state.densityField.Reshape(nx, nz);
    } catch (const std::bad_alloc&) {
        state.psiField.Reshape(0, 0);  // no psi without the density it belongs to
        throw;
    }
    const DensityKernelInput input = PrepareKernel(state);
    RunDensity(state, input, nz, {psi == PsiKept::Whole ? state.psiField.View() : GridView<Complex>{},
                                  state.densityField.View()},
               &progress);
}

int StreamBlockColumns(int nx, double bytesPerPoint, double blockBytes)
{
    const double columns = blockBytes / (bytesPerPoint * std::max(nx, 1));
    const int tiles = std::max(1, static_cast<int>(columns / kDensityTileColumns));
    return tiles * kDensityTileColumns;
}

void StreamDensityGrid(SimulationState& state, ProgressSink& progress, PsiKept psi, int blockColumns,
                       const ColumnBlockWriter& write)
{
    RequireUsableSettings(state);
    if (psi == PsiKept::Whole) {
        RequireCoherentBeam(state, "psi arrays");
    }
    state.parameters.UpdateDerived();
    const int nx = state.grid.nx;
    const int nz = state.grid.nz;
    // Whole tiles, so that each value is computed as in the whole grid.
    const int width =
        std::min(nz, std::max(kDensityTileColumns, blockColumns / kDensityTileColumns * kDensityTileColumns));
    RealMatrixT density(nx, width);
    ComplexGrid psiBlock(psi == PsiKept::Whole ? nx : 0, psi == PsiKept::Whole ? width : 0);
    const DensityKernelInput input = PrepareKernel(state);
    for (int first = 0; first < nz && !state.stopRequested; first += width) {
        const int columns = std::min(width, nz - first);
        // The views keep the buffer's row stride when the last block is narrower.
        const GridView<double> densityView{density.Data(), nx, columns, width};
        const GridView<Complex> psiView = psi == PsiKept::Whole ? GridView<Complex>{psiBlock.Data(), nx, columns, width}
                                                                : GridView<Complex>{};
        RunDensity(state, input, columns, {psiView, densityView, first}, &progress);
        if (!state.stopRequested) {
            write(first, densityView, psiView);
        }
    }
}

void ComputePsiBlock(const SimulationState& state, int rows, int columns, ComplexGrid& psi, ProgressSink* progress)
{
    RequireUsableSettings(state);
    RequireCoherentBeam(state, "psi arrays");
    psi.Reshape(std::min(rows, state.grid.nx), std::min(columns, state.grid.nz));
    DensityKernelInput input = PrepareKernel(state);
    input.rowsWanted = psi.Rows();
    RunKernel(state, input, psi.Cols(), {psi.View(), {}}, progress);
}

}  // namespace nivaro
