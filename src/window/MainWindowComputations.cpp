#include "MainWindow.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QTimer>
#include <cmath>
#include <new>
#include <optional>

#include "CarpetView.h"
#include "ParameterPanel.h"
#include "ProgressView.h"
#include "CarpetPicture.h"
#include "HistogramPlot.h"
#include "QuantumPotentialMap.h"
#include "UserDialogs.h"
#include "WindowTexts.h"
#include "carpet/BmpWriter.h"
#include "carpet/DataFile.h"
#include "configuration/Configuration.h"
#include "engine/CarpetPass.h"
#include "engine/DensityGrid.h"
#include "engine/QuantumPotential.h"
#include "engine/OrderedBlocks.h"
#include "engine/RunDocument.h"
#include "engine/SettingsValidation.h"
#include "engine/SurfaceData.h"
#include "platform/AtomicFile.h"
#include "platform/FileError.h"
#include "platform/SystemMemory.h"

namespace nivaro {

void MainWindow::ApplyParameters()
{
    if (Busy() || !controlPanel_->ApplyButton()->isEnabled()) {
        return;
    }
    controlPanel_->ApplyButton()->setEnabled(false);
    delayedApplyTimer_->stop();  // this Apply serves a pending delayed one
    RefreshMemoryLimit();
    TakeOverAndCompute();
    controlPanel_->ApplyButton()->setEnabled(true);
}

// The panel's settings go into a new document; the one shown stays until
// the new one is complete.
bool MainWindow::TakeOverAndCompute()
{
    std::unique_ptr<SimulationState> next = RecycleDocument(std::move(spare_), state_);
    // The dropped or replaced document serves the next Apply: grids of an
    // unchanged shape are computed into as they are.
    const auto keepSpare = qScopeGuard([this, &next] { spare_ = std::move(next); });
    if (const std::optional<QString> refusal = controlPanel_->TakeOverParameters(*next)) {
        dialogs_.ShowError(*refusal);
        return false;
    }
    if (!WorkAccepted(*next, ParametersPlan())) {
        return false;
    }
    try {
        return ComputeDensityGrid(*next);
    } catch (const std::bad_alloc&) {
        dialogs_.ShowError(QStringLiteral("There is not enough memory for a grid of %1 by %2 points.")
                               .arg(next->grid.nx)
                               .arg(next->grid.nz));
    } catch (const std::exception& error) {
        dialogs_.ShowError(QString::fromUtf8(error.what()));
    }
    return false;
}

RunPlan MainWindow::CarpetPlan() const
{
    const CarpetOptions options = controlPanel_->CarpetSettings();
    RunPlan plan;
    plan.density = false;
    plan.carpet = true;
    plan.carpetPicture = true;
    plan.carpetTrajectories = options.showTrajectories;
    plan.quantumPotential = controlPanel_->ShowsQuantumPotentialCarpet();
    if (options.showTrajectories && options.dataFile) {
        if (const std::optional<std::vector<DataFileRecord>> records = ReadDataFile(*options.dataFile)) {
            plan.dataFileStarts = records->size();
        }
    }
    return plan;
}

RunPlan MainWindow::ParametersPlan() const
{
    RunPlan plan = controlPanel_->CurrentPage() == ParameterPanel::Page::Carpet ? CarpetPlan() : RunPlan{};
    plan.density = true;
    plan.surface = true;
    plan.surfaceTrajectories = controlPanel_->ShowsTrajectories3D();
    plan.quantumPotential = plan.quantumPotential || controlPanel_->ShowsQuantumPotentialSurface();
    return plan;
}

// The grids shown stay in memory while new ones are computed, so that a
// cancelled computation leaves them as they are: new grids must fit beside them.
void MainWindow::RefreshMemoryLimit()
{
    state_.gridMemoryLimit = AvailableMemoryBytes();
}

bool MainWindow::WorkAccepted(const SimulationState& document, const RunPlan& plan)
{
    const WorkEstimate estimate = EstimateWork(document, plan, ThreadCount(document.threads));
    const double available = static_cast<double>(state_.gridMemoryLimit);
    if (estimate.memoryBytes > available) {
        dialogs_.ShowError(QStringLiteral("This computation needs about %1 GB of memory, but %2 GB is available now.")
                               .arg(estimate.memoryBytes / 1e9, 0, 'g', 3)
                               .arg(available / 1e9, 0, 'g', 3));
        return false;
    }
    const std::optional<std::string> beyond = WorkBeyondLimits(estimate, WorkLimits{});
    return !beyond || dialogs_.ConfirmLongWork(QString::fromStdString(*beyond));
}

bool MainWindow::ComputeDensityGrid(SimulationState& next)
{
    {
        const BusyState busy(*runner_, BusyStatus::Clear);
        const bool withTrajectories = controlPanel_->ShowsTrajectories3D();
        DensitySurface surface;
        runner_->Run(
            *progressView_,
            [&](ProgressSink& progress) {
                nivaro::ComputeDensityGrid(next, progress);
                if (!next.stopRequested) {
                    surface = PrepareDensitySurface(next, withTrajectories);
                }
            },
            &next);
        // Only a completed computation is shown and written back.
        if (busy.Cancelled() || runner_->Closing()) {
            return false;
        }
        TakeComputedResults(state_, next, ResultGrids::All);
        WriteBackAndEchoConfiguration();
        computedTexts_ = controlPanel_->Texts();
        carpetView_->Clear();
        recolouredTrajectories_.clear();
        quantumPotentialColours_.reset();
        derived_.Clear();
        ShowDensitySurface(std::move(surface));
    }
    ShowViewOfPage();
    return true;
}

// The automatic write-back stays silent when the file cannot be written; the
// legend then echoes the settings as they would have been written.
void MainWindow::WriteBackAndEchoConfiguration()
{
    const std::string path = (exeDirectory_ + QString::fromLatin1(kConfigurationFileName)).toStdString();
    IniFile configuration;
    try {
        configuration = IniFile::Load(path);
    } catch (const FileError&) {
    }
    WriteBackConfiguration(configuration, controlPanel_->Texts(), state_.grid);
    try {
        configuration.Save(path);
    } catch (const FileError&) {
    }
    densityLegend_ = LegendEcho(configuration);
}

void MainWindow::ApplyCarpet()
{
    if (Busy() || !controlPanel_->CarpetApplyButton()->isEnabled()) {
        return;
    }
    controlPanel_->CarpetApplyButton()->setEnabled(false);
    try {
        RenderCarpetImage();
    } catch (const std::exception& error) {
        dialogs_.ShowError(QString::fromUtf8(error.what()));
    }
    controlPanel_->CarpetApplyButton()->setEnabled(true);
}

void MainWindow::RenderCarpetImage()
{
    EnsembleChoices choices;
    if (const std::optional<QString> refusal = controlPanel_->TakeEnsembleChoices(choices)) {
        dialogs_.ShowError(*refusal);
        return;
    }
    RefreshMemoryLimit();
    if (!WorkAccepted(state_, CarpetPlan())) {
        return;
    }
    if (spectrumShown_) {
        ToggleSpectrum();  // the carpet replaces the spectrum's picture
    }
    try {
        const BusyState busy(*runner_, BusyStatus::Report);
        // The carpet is drawn in a document of its own over the density
        // shown (only read meanwhile), so that the planes shown stay until it
        // is complete.
        const std::unique_ptr<SimulationState> next = NewDocumentLike(state_);
        CarpetOptions options = controlPanel_->CarpetSettings();
        options.showTrajectories = options.showTrajectories && !choices.sampled;  // the sampled paths replace them
        runner_->Run(
            *progressView_,
            [&](ProgressSink& progress) { nivaro::RenderCarpet(*next, state_.densityField, options, progress); },
            next.get());
        if (busy.Cancelled() || !TraceEnsembleIfChosen(choices) ||
            (controlPanel_->ShowsQuantumPotentialCarpet() && !EnsureQuantumPotential())) {
            return;
        }
        TakeComputedResults(state_, *next, ResultGrids::Carpet);
        // Clicked trajectories keep their colour until the next Apply.
        if (options.showTrajectories) {
            for (const auto& [startRow, colour] : recolouredTrajectories_) {
                RepaintTrajectory(state_, startRow, colour);
            }
        }
    } catch (const StaleDensityError& error) {
        statusLine_->setText(QString::fromUtf8(error.what()));
        return;
    }
    SaveAndShowCarpetPicture(BusyStatus::Report);
    ShowHistogram();
    ShowViewOfPage();
}

void MainWindow::SaveAndShowCarpetPicture(BusyStatus status)
{
    const bool quantumPotential = controlPanel_->ShowsQuantumPotentialCarpet();
    QImage picture;
    std::optional<QString> failure;
    {
        const BusyState busy(*runner_, status);
        runner_->Run(*progressView_, [&](ProgressSink&) {
            failure = WriteImageFile();
            picture = ComposeCarpetPicture(quantumPotential);
        });
    }
    if (failure) {
        statusLine_->setText(*failure);
    }
    ShowCarpetPicture(std::move(picture));
}

bool MainWindow::EnsureQuantumPotential()
{
    if (!quantumPotentialColours_) {
        const BusyState busy(*runner_, BusyStatus::Report);
        RealMatrixT q(0, 0);
        runner_->Run(*progressView_, [&](ProgressSink& progress) { ComputeQuantumPotential(state_, q, progress); });
        if (!busy.Cancelled()) {
            derived_.quantumPotential.Swap(q);
            quantumPotentialColours_.emplace(QuantumPotentialRange(derived_.quantumPotential));
        }
    }
    return quantumPotentialColours_.has_value();
}

bool MainWindow::TraceEnsembleIfChosen(const EnsembleChoices& choices)
{
    if (!choices.sampled) {
        ensembleChoices_ = choices;
        derived_.ensemble.reset();
        return true;
    }
    std::optional<DerivedResults::SampledPaths> sampled;
    runner_->Run(*progressView_, [&](ProgressSink& progress) {
        Ensemble traced = TraceEnsemble(state_, choices.settings, progress);
        if (!state_.stopRequested) {
            std::vector<std::uint32_t> coverage = EnsembleCoverage(traced, state_.grid.nx);
            sampled = DerivedResults::SampledPaths{std::move(traced), std::move(coverage)};
        }
    });
    if (runner_->CancelRequested() || !sampled) {
        return false;
    }
    ensembleChoices_ = choices;
    derived_.ensemble = std::move(sampled);
    return true;
}

std::optional<QString> MainWindow::WriteImageFile() const
{
    try {
        AtomicFile image(kImageFileName, true);
        WriteBitmap(image.Stream(), state_.carpetRed, state_.carpetGreen, state_.carpetBlue);
        image.Commit();
        return std::nullopt;
    } catch (const FileError& error) {
        return QStringLiteral("The carpet could not be saved as %1").arg(QString::fromUtf8(error.what()));
    }
}

// The picture comes straight from the planes, so it shows even when
// "out.bmp" could not be written.
// Each path passing a pixel darkens it by a share of what is left, chosen
// so that the busiest pixel is nine tenths dark: where many pass the carpet
// darkens like |psi|^2, and a lone path still shows faintly.
double PathOpacity(const std::vector<std::uint32_t>& coverage)
{
    constexpr double kFaintest = 0.05;
    const std::uint32_t busiest = coverage.empty() ? 0 : *std::max_element(coverage.begin(), coverage.end());
    return busiest == 0 ? kFaintest : std::max(kFaintest, 1 - std::pow(0.1, 1.0 / busiest));
}

QImage MainWindow::ComposeCarpetPicture(bool quantumPotential) const
{
    const int rows = state_.grid.nx;
    const int columns = state_.grid.nz;
    QImage picture(columns, rows, QImage::Format_RGB32);
    if (quantumPotential && quantumPotentialColours_) {
        picture = QuantumPotentialPicture(derived_.quantumPotential, *quantumPotentialColours_);
    } else if (derived_.ensemble && ensembleChoices_.alone) {
        picture.fill(Qt::white);
    } else {
        picture = CarpetPlanesPicture(state_).convertToFormat(QImage::Format_RGB32);
    }
    if (derived_.ensemble) {
        const std::vector<std::uint32_t>& coverage = derived_.ensemble->coverage;
        const double pathOpacity = PathOpacity(coverage);
        const QColor ink(20, 20, 110);
        for (int row = 0; row < rows; ++row) {
            auto* line = reinterpret_cast<QRgb*>(picture.scanLine(row));
            for (int column = 0; column < columns; ++column) {
                const std::uint32_t passes = coverage[static_cast<std::size_t>(row) * columns + column];
                if (passes > 0) {
                    const double opacity = 1 - std::pow(1 - pathOpacity, passes);
                    const auto mix = [opacity](int under, int over) {
                        return static_cast<int>(std::lround(under + (over - under) * opacity));
                    };
                    line[column] = qRgb(mix(qRed(line[column]), ink.red()), mix(qGreen(line[column]), ink.green()),
                                        mix(qBlue(line[column]), ink.blue()));
                }
            }
        }
    }
    return picture;
}

void MainWindow::ShowCarpetPicture()
{
    ShowCarpetPicture(ComposeCarpetPicture(controlPanel_->ShowsQuantumPotentialCarpet()));
}

void MainWindow::ShowCarpetPicture(QImage picture)
{
    carpetView_->ShowPicture(std::move(picture));
    const SimulationParameters& p = state_.parameters;
    carpetView_->SetAxes({RowPosition(state_, 0) * 1e9, state_.grid.dx / state_.scaleX.Factor() * 1e9,
                          ColumnPosition(state_, 0) * 1e9, state_.grid.dz / state_.scaleZ.Factor() * 1e9,
                          Formatted("x [nm]   (d = %.4g nm)", p.d * 1e9),
                          Formatted("z [nm]   (zt = %.4g nm)", p.TalbotLength() * 1e9)});
    UpdateColourBar();
}

void MainWindow::ShowHistogram()
{
    if (!derived_.ensemble) {
        if (histogramPlot_) {
            histogramPlot_->hide();
        }
        return;
    }
    const int column = ensembleChoices_.histogramColumn.value_or(state_.grid.nz - 1);
    const EnsembleHistogram histogram = HistogramAt(state_, derived_.ensemble->paths, column, ensembleChoices_.bins);
    if (!histogramPlot_) {
        histogramPlot_ = std::make_unique<HistogramPlot>(this);
        histogramPlot_->setObjectName(QStringLiteral("histogramPlot"));
        // Over the lower right of the carpet, clear of the panel.
        const QPoint corner = carpetView_->mapToGlobal(QPoint(carpetView_->width(), carpetView_->height()));
        histogramPlot_->move(corner - QPoint(histogramPlot_->width() + 16, histogramPlot_->height() + 48));
    }
    histogramPlot_->ShowHistogram(histogram, state_.parameters.d);
    histogramPlot_->show();
    statusLine_->setText(histogramPlot_->Note());
}

void MainWindow::PickHistogramColumn(int column)
{
    controlPanel_->SetHistogramColumn(column);
    ensembleChoices_.histogramColumn = column;
    try {
        ShowHistogram();
    } catch (const std::exception& error) {
        dialogs_.ShowError(QString::fromUtf8(error.what()));
    }
}

}  // namespace nivaro
