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

#include "CarpetContent.h"
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
    std::optional<CarpetRequest> carpet;
    if (controlPanel_->CurrentPage() == ParameterPanel::Page::Carpet) {
        carpet = CarpetRequestOfPanel(false);
        if (!carpet) {
            return false;
        }
    }
    if (!WorkAccepted(*next, ParametersPlan())) {
        return false;
    }
    try {
        return ComputeAndShow(*next, carpet);
    } catch (const std::bad_alloc&) {
        dialogs_.ShowError(QStringLiteral("There is not enough memory for a grid of %1 by %2 points.")
                               .arg(next->grid.nx)
                               .arg(next->grid.nz));
    } catch (const std::exception& error) {
        dialogs_.ShowError(QString::fromUtf8(error.what()));
    }
    return false;
}

std::optional<CarpetRequest> MainWindow::CarpetRequestOfPanel(bool quantumPotentialShown)
{
    CarpetRequest request;
    if (const std::optional<QString> refusal = controlPanel_->TakeEnsembleChoices(request.ensemble)) {
        dialogs_.ShowError(*refusal);
        return std::nullopt;
    }
    request.options = controlPanel_->CarpetSettings();
    request.options.showTrajectories = request.options.showTrajectories && !request.ensemble.sampled;
    request.quantumPotential = controlPanel_->ShowsQuantumPotentialCarpet() && !quantumPotentialShown;
    return request;
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

// Everything the page shown needs is computed before any of it is shown,
// so that a cancel or a failure at any step leaves the results as they were.
bool MainWindow::ComputeAndShow(SimulationState& next, const std::optional<CarpetRequest>& carpet)
{
    {
        const BusyState busy(*runner_, BusyStatus::Clear);
        DensitySurface surface;
        DerivedResults derived;
        if (!builder_->Density(next, controlPanel_->ShowsTrajectories3D(), surface) ||
            (carpet && !builder_->Carpet(next, next, *carpet, derived)) ||
            (controlPanel_->ShowsQuantumPotentialSurface() && !builder_->QuantumPotential(next, derived, &next))) {
            return false;
        }
        TakeComputedResults(state_, next, ResultGrids::All);
        derived_.Swap(derived);
        WriteBackAndEchoConfiguration();
        computedTexts_ = controlPanel_->Texts();
        carpet_->ForgetRecoloured();
        ShowDensitySurface(std::move(surface));
        if (!carpet) {
            carpetView_->Clear();
        }
    }
    if (carpet) {
        ShowCarpetResults();
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
    const std::optional<CarpetRequest> request = CarpetRequestOfPanel(derived_.HasQuantumPotential());
    if (!request) {
        return;
    }
    RefreshMemoryLimit();
    if (!WorkAccepted(state_, CarpetPlan())) {
        return;
    }
    if (spectrumShown_) {
        ToggleSpectrum();  // the carpet replaces the spectrum's picture
    }
    {
        const BusyState busy(*runner_, BusyStatus::Report);
        // The carpet is drawn in a document of its own over the density
        // shown (only read meanwhile), so that the planes shown stay until it
        // is complete.
        const std::unique_ptr<SimulationState> next = NewDocumentLike(state_);
        DerivedResults derived;
        try {
            if (!builder_->Carpet(state_, *next, *request, derived)) {
                return;
            }
        } catch (const StaleDensityError& error) {
            statusLine_->setText(QString::fromUtf8(error.what()));
            return;
        }
        TakeComputedResults(state_, *next, ResultGrids::Carpet);
        derived_.ensemble = std::move(derived.ensemble);
        derived_.ensembleChoices = derived.ensembleChoices;
        if (derived.HasQuantumPotential()) {
            derived_.TakeQuantumPotential(derived.quantumPotential);
        }
        if (request->options.showTrajectories) {
            carpet_->RepaintRecoloured();
        }
    }
    ShowCarpetResults();
    ShowViewOfPage();
}

// After the computation's time: a failed write of "out.bmp" and the
// histogram's note take the status line.
void MainWindow::ShowCarpetResults()
{
    SaveAndShowCarpetPicture();
    carpet_->ShowHistogram();
}

void MainWindow::SaveAndShowCarpetPicture()
{
    carpet_->SaveAndShow(controlPanel_->ShowsQuantumPotentialCarpet());
    UpdateColourBar();
}

bool MainWindow::EnsureQuantumPotential()
{
    if (derived_.HasQuantumPotential()) {
        return true;
    }
    const BusyState busy(*runner_, BusyStatus::Report);
    return builder_->QuantumPotential(state_, derived_);
}

void MainWindow::PickHistogramColumn(int column)
{
    controlPanel_->SetHistogramColumn(column);
    try {
        carpet_->PickHistogramColumn(column);
    } catch (const std::exception& error) {
        dialogs_.ShowError(QString::fromUtf8(error.what()));
    }
}

}  // namespace nivaro
