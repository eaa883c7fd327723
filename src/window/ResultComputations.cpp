#include "ResultComputations.h"

#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <new>

#include "ComputationRunner.h"
#include "CarpetPage.h"
#include "ParameterPanel.h"
#include "ResultViews.h"
#include "UserDialogs.h"
#include "carpet/DataFile.h"
#include "configuration/Configuration.h"
#include "WindowTexts.h"
#include "engine/DensityGrid.h"
#include "engine/GridCoverage.h"
#include "engine/OrderedBlocks.h"
#include "engine/ParaxialValidity.h"
#include "engine/RunDocument.h"
#include "platform/FileError.h"
#include "platform/IniFile.h"
#include "platform/NumberText.h"
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

void ResultComputations::ApplyParameters()
{
    panel_.ApplyButton()->setEnabled(false);
    const auto enable = qScopeGuard([this] { panel_.ApplyButton()->setEnabled(true); });
    RefreshMemoryLimit();
    TakeOverAndCompute();
}

// The panel's settings go into a new document; the one shown stays until
// the new one is complete.
void ResultComputations::TakeOverAndCompute()
{
    std::unique_ptr<SimulationState> next = RecycleDocument(std::move(spare_), shown_.state);
    // The dropped or replaced document serves the next Apply: grids of an
    // unchanged shape are computed into as they are.
    const auto keepSpare = qScopeGuard([this, &next] { spare_ = std::move(next); });
    if (const std::optional<QString> refusal = panel_.TakeOverParameters(*next)) {
        dialogs_.ShowError(*refusal);
        return;
    }
    next->grid.integrator = panel_.Carpet().ChosenIntegrator();
    // The 2D page's fields are taken before anything is computed, so that a
    // field the carpet cannot use refuses the Apply as a parameter does.
    std::optional<CarpetRequest> carpet;
    if (panel_.CurrentPage() == ParameterPanel::Page::Carpet) {
        carpet = CarpetRequestOfPanel(false);
        if (!carpet) {
            return;
        }
    }
    RunPlan plan = carpet ? CarpetPlan(*carpet) : RunPlan{};
    plan.density = true;
    plan.surface = true;
    plan.surfaceTrajectories = panel_.ShowsTrajectories3D();
    plan.quantumPotential = plan.quantumPotential || panel_.ShowsQuantumPotentialSurface();
    if (!WorkAccepted(*next, plan)) {
        return;
    }
    try {
        ComputeAndShow(*next, carpet);
    } catch (const std::bad_alloc&) {
        dialogs_.ShowError(QStringLiteral("There is not enough memory for this computation (a grid of %1 by %2 "
                                          "points with what the page shown asks for).")
                               .arg(next->grid.nx)
                               .arg(next->grid.nz));
    } catch (const std::exception& error) {
        dialogs_.ShowError(QString::fromUtf8(error.what()));
    }
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
    request.integrator = panel_.Carpet().ChosenIntegrator();
    return request;
}

RunPlan ResultComputations::CarpetPlan(const CarpetRequest& request)
{
    RunPlan plan;
    plan.density = false;
    plan.carpet = true;
    plan.carpetPicture = true;
    plan.carpetTrajectories = request.options.showTrajectories;
    plan.quantumPotential = request.quantumPotential;
    if (request.options.showTrajectories && request.options.dataFile) {
        if (const std::optional<std::vector<DataFileRecord>> records = ReadDataFile(*request.options.dataFile)) {
            plan.dataFileStarts = records->size();
        }
    }
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
void ResultComputations::ComputeAndShow(SimulationState& next, const std::optional<CarpetRequest>& carpet)
{
    {
        const ComputationRunner::Scope busy(runner_, ComputationRunner::Status::Clear);
        DensitySurface surface;
        DerivedResults derived;
        if (!builder_.Density(next, panel_.ShowsTrajectories3D(), surface) ||
            (carpet && !builder_.Carpet(next, next, *carpet, derived)) ||
            (panel_.ShowsQuantumPotentialSurface() && !derived.HasQuantumPotential() &&
             !builder_.QuantumPotential(next, derived, &next))) {
            return;
        }
        TakeComputedResults(shown_.state, next, ResultGrids::All);
        shown_.derived.Swap(derived);
        panel_.ShowParaxialWarning(ParaxialWarning(shown_.state));
        panel_.ShowModelSummary(ModelSummary(shown_.state));
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
    views_.RefreshVisibility();
    ShowViewOfPage();
    WarnOfEmptyViews();
}

// Regular trajectories drawn on a page shown or asked for.
bool ResultComputations::RegularPathsAsked() const
{
    const CarpetOptions carpet = panel_.Carpet().CarpetSettings();
    const bool onCarpet = panel_.CurrentPage() == ParameterPanel::Page::Carpet && carpet.showTrajectories &&
                          !carpet.dataFile && !panel_.Carpet().SamplesStarts();
    return onCarpet || panel_.ShowsTrajectories3D();
}

// A white carpet or one without paths, and no word why, would look like a
// fault of the program rather than of a setting.
void ResultComputations::WarnOfEmptyViews()
{
    if (const std::optional<std::string> warning = GridCoverageWarning(shown_.state, RegularPathsAsked())) {
        statusLine_.setText(statusLine_.text() + QStringLiteral("   \u26a0 Warning: ") + Text(*warning) +
                            QLatin1Char('.'));
    }
}

void ResultComputations::WriteBackAndEchoConfiguration()
{
    IniFile configuration;
    try {
        configuration = IniFile::Load(configurationPath_);
    } catch (const FileError&) {
    }
    WriteBackConfiguration(configuration, panel_.Texts(), shown_.state);
    try {
        configuration.Save(configurationPath_);
    } catch (const FileError&) {
    }
    views_.SetLegend(LegendEcho(configuration));
}

void ResultComputations::ApplyCarpet()
{
    // A question asked on the way (the work limits) runs the event loop, where
    // a second request must not start a second drawing.
    if (runner_.Busy() || drawingCarpet_) {
        return;
    }
    const QScopedValueRollback drawing(drawingCarpet_, true);
    try {
        RenderCarpet();
    } catch (const std::exception& error) {
        dialogs_.ShowError(QString::fromUtf8(error.what()));
    }
}

void ResultComputations::RenderCarpet()
{
    SimulationState& state = shown_.state;
    const std::optional<CarpetRequest> request = CarpetRequestOfPanel(shown_.derived.HasQuantumPotential());
    if (!request) {
        return;
    }
    RefreshMemoryLimit();
    if (!WorkAccepted(state, CarpetPlan(*request))) {
        return;
    }
    std::optional<QString> stale;
    {
        const ComputationRunner::Scope busy(runner_, ComputationRunner::Status::Report);
        // The carpet is drawn in a document of its own over the density
        // shown (only read meanwhile), so that the planes shown stay until it
        // is complete.
        const std::unique_ptr<SimulationState> next = NewDocumentLike(state);
        next->grid.integrator = request->integrator;
        DerivedResults derived;
        try {
            if (!builder_.Carpet(state, *next, *request, derived)) {
                return;
            }
            TakeComputedResults(state, *next, ResultGrids::Carpet);
            state.grid.integrator = request->integrator;  // the paths drawn, for a click to repaint one
            shown_.derived.TakeCarpetPart(derived);
            if (request->options.showTrajectories) {
                views_.Carpet().RepaintRecoloured();
            }
        } catch (const StaleDensityError& error) {
            stale = QString::fromUtf8(error.what());
        }
    }
    if (stale) {
        statusLine_.setText(*stale);  // after the time taken
        return;
    }
    if (views_.SpectrumShown()) {
        views_.ShowDensitySurface();  // the carpet replaces the spectrum's picture
    }
    views_.ShowCarpetResults();
    ShowViewOfPage();
    WarnOfEmptyViews();
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
