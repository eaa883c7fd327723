#include "BatchRun.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <limits>
#include <memory>
#include <new>
#include <optional>

#include "BatchOptions.h"
#include "BatchPictures.h"
#include "BatchSweep.h"
#include "InterruptGuard.h"
#include "StageTimings.h"
#include "TerminalProgress.h"
#include "carpet/BmpWriter.h"
#include "carpet/CarpetPixels.h"
#include "carpet/DataFile.h"
#include "carpet/TableWriter.h"
#include "configuration/Configuration.h"
#include "engine/CarpetPass.h"
#include "engine/DensityGrid.h"
#include "engine/GridCoverage.h"
#include "engine/OrderedBlocks.h"
#include "engine/ParaxialValidity.h"
#include "engine/QuantumPotential.h"
#include "engine/SettingsValidation.h"
#include "engine/SpectrumTransform.h"
#include "engine/SurfaceData.h"
#include "engine/TrajectoryEnsemble.h"
#include "engine/WorkEstimate.h"
#include "output/ArrayOutput.h"
#include "output/HistogramCsv.h"
#include "output/RunFile.h"
#include "output/TrajectoryFile.h"
#include "output/VisibilityCsv.h"
#include "platform/AtomicFile.h"
#include "platform/FileError.h"
#include "platform/RasterImageFile.h"
#include "platform/SystemMemory.h"

namespace nivaro {
namespace {

constexpr int kCarpetJpegQuality = 90;
constexpr int kCarpetPngCompression = 9;

// A file the run reads and cannot: reported as such, not as a write failure.
class InputFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

IniFile ReadConfiguration(const std::string& path)
{
    try {
        return IniFile::Load(path);
    } catch (const FileError& error) {
        throw InputFileError(error.what());
    }
}

// A run whose only grids are array files (.npy, .h5) can compute and write
// them a block of columns at a time when they do not fit in memory. An
// ensemble is kept out: its paths are held whole, checked against the memory
// a whole grid may take.
// The view of the figure this run draws (a --figure file or a sweep's
// frame), if any.
std::optional<FigureView> FigureOfRun(const BatchOptions& options, FrameKind frame)
{
    return options.figureFile || frame == FrameKind::Figure ? std::optional(options.figureView) : std::nullopt;
}

bool Streamable(const BatchOptions& options, FrameKind frame)
{
    const auto streamable = [](const std::optional<std::string>& path) {
        return !path || ArrayOutput::Streams(ArrayFormatOf(*path));
    };
    return (options.densityFile || options.psiFile || options.quantumPotentialFile) &&
           streamable(options.densityFile) && streamable(options.psiFile) && streamable(options.quantumPotentialFile) &&
           !options.carpetFile && !options.chartFile && !options.outputFile && !options.histogramFile &&
           !options.visibilityFile && !options.figureFile && frame == FrameKind::None;
}

// The settings as the window starts with them (from the configuration file,
// or the defaults without one), then the --set options in order.
PanelTexts ApplySettings(SimulationState& state, const BatchOptions& options, FrameKind frame, std::ostream& err)
{
    // A run that can stream its grids never holds them whole: its memory is
    // that of its blocks, which the work estimate checks.
    state.gridMemoryLimit = Streamable(options, frame) ? std::numeric_limits<std::uint64_t>::max() : AvailableMemoryBytes();
    const IniFile configuration = options.configFile ? ReadConfiguration(*options.configFile) : IniFile{};
    const OverriddenConfiguration settings = LoadConfiguration(configuration, options.settings, state);
    for (const std::string& message : settings.loaded.replacedValues) {
        err << "nivaro-batch: " << message << '\n';
    }
    if (HasObsoleteDzb(configuration)) {
        err << kDzbWarning << '\n';
    }
    if (settings.refusal) {
        throw UsageError(*settings.refusal);
    }
    RequireUsableSettings(state);
    return settings.loaded.panel;
}

std::unique_ptr<AtomicFile> OpenOutput(const std::optional<std::string>& path)
{
    return path ? std::make_unique<AtomicFile>(*path) : nullptr;
}

RgbRowSource CarpetRows(const SimulationState& state)
{
    return {state.grid.nz, state.grid.nx, [&state](int row, std::uint8_t* rgb) {
                InterleaveRgbRow(state.carpetRed, state.carpetGreen, state.carpetBlue, row, rgb);
            }};
}

void WriteCarpet(const std::string& path, const SimulationState& state)
{
    switch (PictureFormatOf(path)) {
    case PictureFormat::Bmp: {
        AtomicFile file(path, true);
        WriteBitmap(file.Stream(), state.carpetRed, state.carpetGreen, state.carpetBlue);
        file.Commit();
        break;
    }
    case PictureFormat::Png:
        WritePngFile(path, CarpetRows(state), kCarpetPngCompression);
        break;
    case PictureFormat::Jpeg:
        WriteJpegFile(path, CarpetRows(state), kCarpetJpegQuality);
        break;
    case PictureFormat::Svg:
        break;  // refused when the options were read
    }
}

// The legend shows the settings as the window's write-back would store them.
std::vector<std::string> LegendLines(const BatchOptions& options, const PanelTexts& panel, const SimulationState& state)
{
    IniFile configuration = options.configFile ? IniFile::Load(*options.configFile) : IniFile{};
    WriteBackConfiguration(configuration, panel, state);
    return LegendEcho(configuration);
}

// What the run will do, for the estimate: the data file's starts are
// counted by reading it, and a file that cannot be read is reported.
RunPlan PlanOf(const BatchOptions& options, FrameKind frame, std::ostream& err)
{
    const std::optional<FigureView> figure = FigureOfRun(options, frame);
    const bool chart = options.chartFile || frame == FrameKind::Chart || figure == FigureView::Chart;
    const bool carpet = options.carpetFile || frame == FrameKind::Carpet || figure == FigureView::Carpet;
    RunPlan plan;
    plan.density = options.densityFile || options.spectrumFile || options.psiFile || options.outputFile || carpet ||
                   chart || figure;
    plan.psi = options.psiFile || options.outputFile;
    plan.surface = chart;
    plan.surfaceTrajectories = chart && options.chartTrajectories;
    plan.carpet = carpet;
    plan.quantumPotential = options.quantumPotentialFile || figure == FigureView::QuantumPotential;
    plan.carpetTrajectories = carpet && options.carpetTrajectories;
    if (plan.carpetTrajectories && options.dataFile) {
        if (const std::optional<std::vector<DataFileRecord>> records = ReadDataFile(*options.dataFile)) {
            plan.dataFileStarts = records->size();
        } else {
            err << "nivaro-batch: cannot read the data file " << *options.dataFile << "; drawing the regular starts\n";
        }
    }
    const std::optional<ArrayFormat> trajectories =
        options.trajectoriesFile ? TrajectoryFormatOf(*options.trajectoriesFile) : std::nullopt;
    plan.trajectoryCsv = trajectories == ArrayFormat::Text;
    plan.trajectoryArrays = trajectories && trajectories != ArrayFormat::Text;
    if (options.densityFile && ArrayFormatOf(*options.densityFile) == ArrayFormat::Text) {
        plan.tableFormat = options.valueFormat;
    } else if (options.densityFile) {
        plan.arrayBytesPerPoint += sizeof(double);
    }
    if (options.psiFile) {
        plan.arrayBytesPerPoint += 2 * sizeof(double);
    }
    if (options.outputFile) {
        plan.arrayBytesPerPoint += 3 * sizeof(double);  // density and psi
        plan.trajectoryArrays = true;
    }
    plan.spectrumTable = options.spectrumFile || options.outputFile || figure == FigureView::Spectrum;
    return plan;
}

// The buffers of one block of streamed columns.
constexpr double kStreamBlockBytes = 256e6;
// Grids beyond this are streamed where the run allows it, even when they
// would fit: a run of many gigabytes should not take the machine's memory
// from everything else.
constexpr double kLargestHeldGrids = 2e9;

// Refuses, before anything is written, a run that would not fit in the
// memory available now or that exceeds the work limits without --no-limit.
// Returns the columns of a block when the run streams its grids instead of
// holding them (told on err), else 0.
int RequireBoundedWork(const SimulationState& state, const BatchOptions& options, FrameKind frame, std::ostream& err)
{
    if (options.carpetFile && PictureFormatOf(*options.carpetFile) == PictureFormat::Bmp &&
        !BitmapFits(state.grid.nx, state.grid.nz)) {
        throw UsageError("the carpet " + *options.carpetFile + " would exceed the 4 GiB a BMP file can hold; choose .png");
    }
    RunPlan plan = PlanOf(options, frame, err);
    const int threads = ThreadCount(state.threads);
    WorkEstimate estimate = EstimateWork(state, plan, threads);
    const double available = static_cast<double>(AvailableMemoryBytes());
    if (estimate.memoryBytes > std::min(available, kLargestHeldGrids) && Streamable(options, frame)) {
        const double held = estimate.memoryBytes;
        plan.streamedColumns = StreamBlockColumns(state.grid.nx, StreamBufferBytesPerPoint(plan), kStreamBlockBytes);
        estimate = EstimateWork(state, plan, threads);
        char text[200];
        std::snprintf(text, sizeof text,
                      "nivaro-batch: the grids would need about %.3g GB of memory; computing and writing them "
                      "%d columns at a time in about %.3g GB\n",
                      held / 1e9, plan.streamedColumns, estimate.memoryBytes / 1e9);
        err << text;
    }
    // Memory beyond what is available is refused even with --no-limit.
    if (estimate.memoryBytes > available) {
        char text[200];
        std::snprintf(text, sizeof text, "this run needs about %.3g GB of memory, but %.3g GB is available now%s",
                      estimate.memoryBytes / 1e9, available / 1e9,
                      estimate.startBytes > estimate.memoryBytes / 2 ? " (for its trajectory starts: raise dxb)" : "");
        throw UsageError(text);
    }
    if (const std::optional<std::string> beyond = WorkBeyondLimits(estimate, WorkLimits{}); beyond && !options.noLimit) {
        throw UsageError("this run would take " + *beyond + "; give --no-limit to run it anyway");
    }
    return plan.streamedColumns;
}

std::unique_ptr<ArrayOutput> OpenArray(const std::optional<std::string>& path, const SettingAttributes& attributes)
{
    return path ? std::make_unique<ArrayOutput>(*path, attributes) : nullptr;
}

// Q is a few meV where the density is large and grows without bound where it
// is small, so the table keeps its digits in exponent form.
constexpr const char* kQuantumPotentialFormat = "% .6e";

struct TracedEnsemble {
    Ensemble ensemble;
    EnsembleHistogram histogram;
};

// The ensemble and its histogram, which is written; nothing when the run was
// stopped.
std::optional<TracedEnsemble> WriteEnsembleHistogram(const BatchOptions& options, const SimulationState& state,
                                                     AtomicFile& file, ProgressSink& progress, StageTimings& timings)
{
    Ensemble ensemble;
    const EnsembleSettings settings{options.ensembleCount.value_or(EnsembleSettings{}.count), options.seed,
                                    options.ensembleIntegrator};
    timings.Time("ensemble", [&] { ensemble = TraceEnsemble(state, settings, progress); });
    if (state.stopRequested) {
        return std::nullopt;  // the interrupt is reported by the caller; no half histogram is written
    }
    EnsembleHistogram histogram =
        HistogramAt(state, ensemble, options.histogramColumn.value_or(state.grid.nz - 1), options.bins);
    timings.Time("write " + *options.histogramFile, [&] { file.CommitText(HistogramCsv(histogram)); });
    return TracedEnsemble{std::move(ensemble), std::move(histogram)};
}

// Computes the density (and psi) a block of columns at a time straight into
// their files; returns the density's maximum.
double StreamGrids(SimulationState& state, ArrayOutput* density, ArrayOutput* psi, int blockColumns,
                   ProgressSink& progress)
{
    const int nx = state.grid.nx;
    const int nz = state.grid.nz;
    if (density) {
        density->BeginColumns(false, "density", nx, nz, blockColumns, kDensityUnit);
    }
    if (psi) {
        psi->BeginColumns(true, "psi", nx, nz, blockColumns, kPsiUnit);
    }
    double largest = 0.0;
    StreamDensityGrid(state, progress, psi ? PsiKept::Whole : PsiKept::None, blockColumns,
                      [&](int firstColumn, const GridView<const double>& values,
                          const GridView<const Complex>& psiValues) {
                          for (int row = 0; row < values.rows; ++row) {
                              const double* line = values.Row(row);
                              largest = std::max(largest, *std::max_element(line, line + values.cols));
                          }
                          if (density) {
                              density->WriteColumns(firstColumn, values);
                          }
                          if (psi) {
                              psi->WriteColumns(firstColumn, psiValues);
                          }
                      });
    if (state.stopRequested) {
        return largest;  // the interrupt is told by the caller; the temporaries go with the outputs
    }
    for (ArrayOutput* output : {density, psi}) {
        if (output) {
            output->FinishColumns();
        }
    }
    return largest;
}

// A partially coherent beam has a density but no single psi: what needs psi
// is refused before anything is computed, and the carpet and the chart are
// drawn without paths.
void RequireWhatTheBeamGives(const SimulationState& state, const BatchOptions& options, FrameKind frame,
                             std::ostream& err)
{
    if (HasCoherentBeam(state)) {
        return;
    }
    if (options.psiFile || options.trajectoriesFile || options.histogramFile || options.quantumPotentialFile ||
        FigureOfRun(options, frame) == FigureView::QuantumPotential) {
        RequireCoherentBeam(state, "psi, Bohmian trajectories, ensembles and Q");
    }
    if (((options.carpetFile && options.carpetTrajectories) || (options.chartFile && options.chartTrajectories)) &&
        !options.quiet) {
        err << "nivaro-batch: a partially coherent beam has no Bohmian trajectories; the pictures are drawn without "
               "them\n";
    }
}

}  // namespace

RunResult RunOnce(const BatchOptions& options, SimulationState& state, std::ostream& err, bool showProgress,
                  const InterruptGuard& interrupts, FrameKind frame)
{
    state.threads = options.threads;
    const PanelTexts panel = ApplySettings(state, options, frame, err);
    RequireWhatTheBeamGives(state, options, frame, err);
    const int streamedColumns = RequireBoundedWork(state, options, frame, err);
    if (!options.quiet) {
        if (const std::optional<std::string> summary = ModelSummary(state)) {
            err << "nivaro-batch: " << *summary << '\n';
        }
        if (const std::optional<std::string> warning = ParaxialWarning(state)) {
            err << "nivaro-batch: warning: " << *warning << '\n';
        }
        const bool regularPaths = ((options.carpetFile || frame == FrameKind::Carpet) && options.carpetTrajectories &&
                                   !options.dataFile) ||
                                  ((options.chartFile || frame == FrameKind::Chart) && options.chartTrajectories) ||
                                  options.trajectoriesFile;
        if (const std::optional<std::string> warning = GridCoverageWarning(state, regularPaths)) {
            err << "nivaro-batch: warning: " << *warning << '\n';
        }
    }
    StageTimings timings(options.timings, err);
    const auto writing = [](const std::optional<std::string>& path) { return "write " + path.value_or(""); };
    RunResult result;

    // The outputs are opened before the computation, so that a folder that
    // cannot be written is reported at once, not after minutes of work.
    const SettingAttributes attributes = AttributesOf(panel, state);
    const std::unique_ptr<ArrayOutput> density = OpenArray(options.densityFile, attributes);
    const std::unique_ptr<ArrayOutput> psi = OpenArray(options.psiFile, attributes);
    const std::unique_ptr<ArrayOutput> spectrum = OpenArray(options.spectrumFile, attributes);
    const std::unique_ptr<TrajectoryOutput> trajectories =
        options.trajectoriesFile ? std::make_unique<TrajectoryOutput>(*options.trajectoriesFile, attributes) : nullptr;
    const std::unique_ptr<AtomicFile> histogram = OpenOutput(options.histogramFile);
    const std::unique_ptr<ArrayOutput> quantumPotential = OpenArray(options.quantumPotentialFile, attributes);
    const std::unique_ptr<AtomicFile> visibility = OpenOutput(options.visibilityFile);
    state.parameters.UpdateDerived();
    for (ArrayOutput* grid : {density.get(), psi.get(), quantumPotential.get()}) {
        if (grid != nullptr) {
            grid->AddGridCoordinates(RowPositions(state), ColumnPositions(state));
        }
    }
    const std::optional<FigureView> figure = FigureOfRun(options, frame);
    const bool carpet = options.carpetFile || frame == FrameKind::Carpet || figure == FigureView::Carpet;
    const bool chart = options.chartFile || frame == FrameKind::Chart || figure.has_value();

    TerminalProgress terminal(err);
    SilentProgress silent;
    ProgressSink& progress = showProgress ? static_cast<ProgressSink&>(terminal) : silent;
    if (streamedColumns > 0 && (density || psi)) {
        timings.Time("density", [&] {
            result.densityMax = StreamGrids(state, density.get(), psi.get(), streamedColumns, progress);
        });
        interrupts.ThrowIfInterrupted();
    } else if (streamedColumns == 0 &&
               (density || psi || spectrum || options.outputFile || carpet || chart || visibility)) {
        const PsiKept psiKept = psi || (options.outputFile && HasCoherentBeam(state)) ? PsiKept::Whole : PsiKept::None;
        timings.Time("density", [&] { ComputeDensityGrid(state, progress, psiKept); });
        interrupts.ThrowIfInterrupted();
        result.densityMax = state.densityField.MaxElement();
    } else {
        state.parameters.UpdateDerived();
    }
    if (density && streamedColumns == 0) {
        timings.Time(writing(options.densityFile),
                     [&] { density->WriteReal(state.densityField, "density", kDensityUnit, options.valueFormat); });
    }
    if (visibility) {
        timings.Time(writing(options.visibilityFile), [&] {
            visibility->CommitText(VisibilityCsv(FringeVisibility(state, state.densityField.View()),
                                                 state.parameters.TalbotLength()));
        });
    }
    if (psi && streamedColumns == 0) {
        timings.Time(writing(options.psiFile), [&] { psi->WriteComplex(state.psiField, "psi", kPsiUnit); });
    }
    if (carpet) {
        timings.Time("carpet", [&] {
            RenderCarpet(state, {options.contrast, options.carpetTrajectories, options.dataFile}, progress);
        });
        interrupts.ThrowIfInterrupted();
    }
    if (options.carpetFile) {
        timings.Time(writing(options.carpetFile), [&] { WriteCarpet(*options.carpetFile, state); });
    }
    terminal.Finish();
    if (options.chartFile) {
        WriteChart(options, state, LegendLines(options, panel, state), timings);
    }
    if (frame == FrameKind::Chart) {
        result.frame = ChartFrame(options, state, LegendLines(options, panel, state));
    }
    if (options.figureFile) {
        WriteFigure(options, state, LegendLines(options, panel, state), progress, timings);
        interrupts.ThrowIfInterrupted();
        terminal.Finish();
    }
    if (frame == FrameKind::Figure) {
        result.frame = FigureFrame(options, state, LegendLines(options, panel, state), progress);
        interrupts.ThrowIfInterrupted();
        terminal.Finish();
    }
    if (trajectories) {
        timings.Time("trajectories", [&] { trajectories->Trace(state); });
        interrupts.ThrowIfInterrupted();
        timings.Time(writing(options.trajectoriesFile), [&] { trajectories->Commit(); });
    }
    RunRecord record{options.commandLine, options.seed};
    std::optional<TracedEnsemble> traced;
    if (histogram) {
        traced = WriteEnsembleHistogram(options, state, *histogram, progress, timings);
        interrupts.ThrowIfInterrupted();
        terminal.Finish();
        err << HistogramSummary(traced->histogram) << '\n' << EscapeSummary(traced->histogram) << '\n';
        record.ensemble = &traced->ensemble;
        record.histogram = &traced->histogram;
    }
    if (quantumPotential && streamedColumns > 0) {
        quantumPotential->BeginColumns(false, "quantum_potential", state.grid.nx, state.grid.nz, streamedColumns, "eV");
        timings.Time("quantum potential", [&] {
            StreamQuantumPotential(state, progress, streamedColumns,
                                   [&](int firstColumn, const GridView<const double>& q) {
                                       quantumPotential->WriteColumns(firstColumn, q);
                                   });
        });
        interrupts.ThrowIfInterrupted();
        terminal.Finish();
        quantumPotential->FinishColumns();
    }
    RealMatrixT q(0, 0);
    if (quantumPotential && streamedColumns == 0) {
        timings.Time("quantum potential", [&] { ComputeQuantumPotential(state, q, progress); });
        interrupts.ThrowIfInterrupted();
        terminal.Finish();
        timings.Time(writing(options.quantumPotentialFile),
                     [&] { quantumPotential->WriteReal(q, "quantum_potential", "eV", kQuantumPotentialFormat); });
        record.quantumPotential = &q;
    }
    if (options.outputFile) {
        timings.Time(writing(options.outputFile), [&] { WriteRunFile(*options.outputFile, state, attributes, record); });
        interrupts.ThrowIfInterrupted();
    }
    if (spectrum) {
        RealMatrixT magnitudes(0, 0);
        timings.Time("spectrum", [&] { SpectrumOfPsi(state, magnitudes); });
        timings.Time(writing(options.spectrumFile),
                     [&] { spectrum->WriteReal(magnitudes, "spectrum", kSpectrumUnit, options.valueFormat); });
    }
    if (options.writeConfigFile) {
        timings.Time(writing(options.writeConfigFile), [&] {
            IniFile configuration = IniFile::Load(*options.writeConfigFile);
            WriteBackConfiguration(configuration, panel, state);
            configuration.Save(*options.writeConfigFile);
        });
    }
    return result;
}

int RunBatch(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err, bool showProgress)
{
    try {
        const BatchOptions options = ParseBatchOptions(arguments);
        if (options.help) {
            out << BatchUsage();
            return kExitSuccess;
        }
        if (options.version) {
            out << "nivaro-batch " << kProgramVersion << "\n";
            return kExitSuccess;
        }
        if (!options.sweeps.empty()) {
            return RunSweep(options, err, showProgress && !options.quiet);
        }
        SimulationState state;
        const InterruptGuard interrupts(state.stopRequested);
        RunOnce(options, state, err, showProgress && !options.quiet, interrupts, FrameKind::None);
        return kExitSuccess;
    } catch (const UsageError& error) {
        err << "nivaro-batch: " << error.what() << "\nTry 'nivaro-batch --help'.\n";
    } catch (const SweepError& error) {
        err << "nivaro-batch: " << error.what() << "\nTry 'nivaro-batch --help'.\n";
    } catch (const UnusableSettingsError& error) {
        err << "nivaro-batch: cannot compute with these settings:\n" << error.what() << '\n';
    } catch (const std::bad_alloc&) {
        err << "nivaro-batch: not enough memory for the grids; choose a smaller nx or nz\n";
    } catch (const Interrupted& interrupted) {
        err << "nivaro-batch: " << interrupted.what() << '\n';
        return 128 + interrupted.Signal();
    } catch (const InputFileError& error) {
        err << "nivaro-batch: cannot read " << error.what() << '\n';
        return kExitFileError;
    } catch (const FileError& error) {
        err << "nivaro-batch: cannot write " << error.what() << '\n';
        return kExitFileError;
    } catch (const std::exception& error) {
        err << "nivaro-batch: " << error.what() << '\n';
        return kExitFileError;
    } catch (...) {
        err << "nivaro-batch: the run failed for an unknown reason\n";
        return kExitFileError;
    }
    return kExitUsageError;
}

}  // namespace nivaro
