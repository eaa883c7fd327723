#include "ResultComputations.h"

#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <new>

#include "CarpetView.h"
#include "ComputationRunner.h"
#include "CarpetPage.h"
#include "ParameterPanel.h"
#include "ResultViews.h"
#include "UserDialogs.h"
#include "carpet/DataFile.h"
#include "configuration/Configuration.h"
#include "engine/OrderedBlocks.h"
#include "engine/RunDocument.h"
#include "platform/FileError.h"
#include "platform/IniFile.h"
#include "platform/SystemMemory.h"

namespace nivaro {

ResultComputations::ResultComputations(Shown shown, ParameterPanel& panel, UserDialogs& dialogs,
                                       ComputationRunner& runner, ProgressSink& progress, ResultViews& views,
                                       QLabel& statusLine)
    : shown_(shown),
      panel_(panel),
      dialogs_(dialogs),
      runner_(runner),
      views_(views),
      statusLine_(statusLine),
      builder_(runner, progress)
{
}

ResultComputations::~ResultComputations() = default;

void ResultComputations::RefreshMemoryLimit()
{
    shown_.state.gridMemoryLimit = AvailableMemoryBytes();
}

bool ResultComputations::ApplyParameters()
{
    panel_.ApplyButton()->setEnabled(false);
    const auto enable = qScopeGuard([this] { panel_.ApplyButton()->setEnabled(true); });
    RefreshMemoryLimit();
    return TakeOverAndCompute();
}

// The panel's settings go into a new document; the one shown stays until
// the new one is complete.
bool ResultComputations::TakeOverAndCompute()
{
    std::unique_ptr<SimulationState> next = RecycleDocument(std::move(spare_), shown_.state);
    // The dropped or replaced document serves the next Apply: grids of an
    // unchanged shape are computed into as they are.
    const auto keepSpare = qScopeGuard([this, &next] { spare_ = std::move(next); });
    if (const std::optional<QString> refusal = panel_.TakeOverParameters(*next)) {
        dialogs_.ShowError(*refusal);
        return false;
    }
    std::optional<CarpetRequest> carpet;
    if (panel_.CurrentPage() == ParameterPanel::Page::Carpet) {
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

std::optional<CarpetRequest> ResultComputations::CarpetRequestOfPanel(bool quantumPotentialShown)
{
    CarpetRequest request;
    if (const std::optional<QString> refusal = panel_.Carpet().TakeEnsembleChoices(request.ensemble)) {
        dialogs_.ShowError(*refusal);
        return std::nullopt;
    }
    request.options = panel_.Carpet().CarpetSettings();
    request.options.showTrajectories = request.options.showTrajectories && !request.ensemble.sampled;
    request.quantumPotential = panel_.Carpet().ShowsQuantumPotential() && !quantumPotentialShown;
    return request;
}

RunPlan ResultComputations::CarpetPlan() const
{
    const CarpetOptions options = panel_.Carpet().CarpetSettings();
    RunPlan plan;
    plan.density = false;
    plan.carpet = true;
    plan.carpetPicture = true;
    plan.carpetTrajectories = options.showTrajectories;
    plan.quantumPotential = panel_.Carpet().ShowsQuantumPotential();
    if (options.showTrajectories && options.dataFile) {
        if (const std::optional<std::vector<DataFileRecord>> records = ReadDataFile(*options.dataFile)) {
            plan.dataFileStarts = records->size();
        }
    }
    return plan;
}

RunPlan ResultComputations::ParametersPlan() const
{
    RunPlan plan = panel_.CurrentPage() == ParameterPanel::Page::Carpet ? CarpetPlan() : RunPlan{};
    plan.density = true;
    plan.surface = true;
    plan.surfaceTrajectories = panel_.ShowsTrajectories3D();
    plan.quantumPotential = plan.quantumPotential || panel_.ShowsQuantumPotentialSurface();
    return plan;
}

bool ResultComputations::WorkAccepted(const SimulationState& document, const RunPlan& plan)
{
    const WorkEstimate estimate = EstimateWork(document, plan, ThreadCount(document.threads));
    const double available = static_cast<double>(shown_.state.gridMemoryLimit);
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
bool ResultComputations::ComputeAndShow(SimulationState& next, const std::optional<CarpetRequest>& carpet)
{
    {
        const ComputationRunner::Scope busy(runner_, ComputationRunner::Status::Clear);
        DensitySurface surface;
        DerivedResults derived;
        if (!builder_.Density(next, panel_.ShowsTrajectories3D(), surface) ||
            (carpet && !builder_.Carpet(next, next, *carpet, derived)) ||
            (panel_.ShowsQuantumPotentialSurface() && !builder_.QuantumPotential(next, derived, &next))) {
            return false;
        }
        TakeComputedResults(shown_.state, next, ResultGrids::All);
        shown_.derived.Swap(derived);
        WriteBackAndEchoConfiguration();
        shown_.computedTexts = panel_.Texts();
        views_.Carpet().ForgetRecoloured();
        views_.ShowDensitySurface(std::move(surface));
        if (!carpet) {
            views_.Carpet().Clear();
        }
    }
    if (carpet) {
        views_.ShowCarpetResults();
    }
    ShowViewOfPage();
    return true;
}

void ResultComputations::WriteBackAndEchoConfiguration()
{
    IniFile configuration;
    try {
        configuration = IniFile::Load(configurationPath_);
    } catch (const FileError&) {
    }
    WriteBackConfiguration(configuration, panel_.Texts(), shown_.state.grid);
    try {
        configuration.Save(configurationPath_);
    } catch (const FileError&) {
    }
    views_.SetLegend(LegendEcho(configuration));
}

void ResultComputations::ApplyCarpet()
{
    QPushButton& apply = *panel_.Carpet().ApplyButton();
    if (runner_.Busy() || !apply.isEnabled()) {
        return;
    }
    apply.setEnabled(false);
    try {
        RenderCarpet();
    } catch (const std::exception& error) {
        dialogs_.ShowError(QString::fromUtf8(error.what()));
    }
    apply.setEnabled(true);
}

void ResultComputations::RenderCarpet()
{
    SimulationState& state = shown_.state;
    DerivedResults& shownDerived = shown_.derived;
    const std::optional<CarpetRequest> request = CarpetRequestOfPanel(shownDerived.HasQuantumPotential());
    if (!request) {
        return;
    }
    RefreshMemoryLimit();
    if (!WorkAccepted(state, CarpetPlan())) {
        return;
    }
    if (views_.SpectrumShown()) {
        views_.ToggleSpectrum();  // the carpet replaces the spectrum's picture
    }
    {
        const ComputationRunner::Scope busy(runner_, ComputationRunner::Status::Report);
        // The carpet is drawn in a document of its own over the density
        // shown (only read meanwhile), so that the planes shown stay until it
        // is complete.
        const std::unique_ptr<SimulationState> next = NewDocumentLike(state);
        DerivedResults derived;
        try {
            if (!builder_.Carpet(state, *next, *request, derived)) {
                return;
            }
        } catch (const StaleDensityError& error) {
            statusLine_.setText(QString::fromUtf8(error.what()));
            return;
        }
        TakeComputedResults(state, *next, ResultGrids::Carpet);
        shownDerived.TakeCarpetPart(derived);
        if (request->options.showTrajectories) {
            views_.Carpet().RepaintRecoloured();
        }
    }
    views_.ShowCarpetResults();
    ShowViewOfPage();
}

void ResultComputations::ShowViewOfPage()
{
    const bool carpetPage = panel_.CurrentPage() == ParameterPanel::Page::Carpet;
    views_.SetView(carpetPage ? ViewMode::Image : ViewMode::Chart);
    if (carpetPage && !views_.Carpet().HasPicture()) {
        ApplyCarpet();
    }
}

}  // namespace nivaro
