#include "ResultViews.h"

#include <QAction>
#include <QLabel>

#include "CarpetView.h"
#include "ChartHost.h"
#include "ColourBar.h"
#include "ComputationRunner.h"
#include "CarpetPage.h"
#include "ParameterPanel.h"
#include "ProgressView.h"
#include "figure/SpectrumPicture.h"
#include "figure/ViewFigures.h"
#include "VisibilityPlot.h"
#include "WindowMenus.h"
#include "chart/ChartTools.h"
#include "chart/MainChart.h"
#include "engine/ParaxialValidity.h"
#include "engine/SettingsValidation.h"
#include "engine/SpectrumTransform.h"

namespace nivaro {

ResultViews::ResultViews(QWidget& window, Widgets widgets, ParameterPanel& panel, const WindowMenus& menus,
                         ComputationRunner& runner, ProgressView& progress, SimulationState& state,
                         DerivedResults& derived)
    : window_(window),
      widgets_(widgets),
      panel_(panel),
      menus_(menus),
      runner_(runner),
      builder_(runner, progress),
      state_(state),
      derived_(derived),
      surface_(widgets.chart, state, derived),
      readouts_(state, derived),
      carpet_(window, widgets.carpetView, widgets.statusLine, runner, progress, state, derived)
{
}

ResultViews::~ResultViews() = default;

void ResultViews::SetView(ViewMode mode)
{
    view_ = mode;
    widgets_.chartView.setVisible(mode == ViewMode::Chart);
    UpdateColourBar();
    widgets_.carpetView.setVisible(mode == ViewMode::Image);
}

void ResultViews::ShowDensitySurface(std::optional<DensitySurface> prepared)
{
    spectrumShown_ = false;
    menus_.Spectrum().setChecked(false);
    derived_.spectrum.Reshape(0, 0);
    if (panel_.ShowsQuantumPotentialSurface() && EnsureQuantumPotential()) {
        surface_.ShowQuantumPotential(legend_);
    } else if (prepared) {
        surface_.ShowDensity(*prepared, legend_);
    } else {
        surface_.ShowDensity(PrepareDensitySurface(state_, panel_.ShowsTrajectories3D()), legend_);
    }
    SurfaceChanged();
}

bool ResultViews::ToggleSpectrum()
{
    if (!spectrumShown_) {
        carpetBeforeSpectrum_ = widgets_.carpetView.HasPicture();
        if (!ShowSpectrum()) {
            menus_.Spectrum().setChecked(false);
        }
        return false;
    }
    ShowDensitySurface();
    if (carpetBeforeSpectrum_) {
        carpet_.Show(panel_.Carpet().ShowsQuantumPotential());
        UpdateColourBar();
        return false;
    }
    widgets_.carpetView.Clear();
    return true;
}

bool ResultViews::ShowSpectrum()
{
    RealMatrixT spectrum(0, 0);
    {
        const ComputationRunner::Scope busy(runner_, ComputationRunner::Status::Report);
        if (!builder_.Spectrum(state_, spectrum)) {
            return false;
        }
    }
    derived_.spectrum.Swap(spectrum);
    spectrumShown_ = true;
    menus_.Spectrum().setChecked(true);
    surface_.ShowSpectrum(legend_, ChosenSpectrumHeight());
    SurfaceChanged();
    widgets_.carpetView.ShowPicture(SpectrumPicture(derived_.spectrum, widgets_.chart.ColourMap()));
    const SurfaceAxes axes = SpectrumSurfaceAxes(state_);
    const double perBin = axes.xPerBlock / 2 * 1e-9;
    widgets_.carpetView.SetAxes({-kSpectrumSize / 2 * perBin, perBin, -kSpectrumSize / 2 * axes.zPerBlock / 2 * 1e-9,
                                 axes.zPerBlock / 2 * 1e-9, QStringLiteral("fx [1/nm]"), QStringLiteral("fz [1/nm]")});
    return true;
}

void ResultViews::RelabelAxes()
{
    surface_.Relabel(menus_.NanometreLabels().isChecked());
    SurfaceChanged();
}

SpectrumHeight ResultViews::ChosenSpectrumHeight() const
{
    return menus_.LogarithmicSpectrum().isChecked() ? SpectrumHeight::Logarithmic : SpectrumHeight::Linear;
}

void ResultViews::ApplyColourMap(ColourMapKind kind)
{
    widgets_.chart.SetColourMap(kind);
    carpet_.SetColourMap(kind);
    if (spectrumShown_) {
        widgets_.carpetView.ShowPicture(SpectrumPicture(derived_.spectrum, kind));
    } else if (panel_.Carpet().ShowsQuantumPotential() && derived_.HasQuantumPotential() && carpet_.HasPicture()) {
        carpet_.Show(true);
    }
    if (surface_.Kind() == SurfaceKind::QuantumPotential && derived_.HasQuantumPotential()) {
        surface_.ShowQuantumPotential(legend_);
    }
    SurfaceChanged();
}

void ResultViews::ApplySpectrumHeight()
{
    if (spectrumShown_) {
        surface_.ShowSpectrum(legend_, ChosenSpectrumHeight());
        SurfaceChanged();
    }
}

Figure ResultViews::CurrentFigure()
{
    const ColourMapKind kind = widgets_.chart.ColourMap();
    Figure figure;
    if (view_ == ViewMode::Chart) {
        figure = ChartFigure(widgets_.chart, surface_.ColourScale());
    } else if (spectrumShown_) {
        figure = SpectrumFigure(state_, derived_.spectrum, kind);
    } else {
        const bool quantumPotential = panel_.Carpet().ShowsQuantumPotential() && derived_.HasQuantumPotential();
        figure = CarpetFigure(state_, widgets_.carpetView.Picture(),
                              quantumPotential ? QuantumPotentialScale(*derived_.quantumPotentialRange, kind)
                                               : CarpetScale(state_, panel_.Carpet().CarpetSettings().contrast));
    }
    figure.title = SettingsTitle(state_);
    return figure;
}

void ResultViews::SurfaceChanged()
{
    widgets_.chartView.RequestFit();
    UpdateColourBar();
}

void ResultViews::UpdateColourBar()
{
    const bool quantumPotentialCarpet =
        view_ == ViewMode::Image && panel_.Carpet().ShowsQuantumPotential() && derived_.HasQuantumPotential();
    widgets_.colourBar.setVisible(view_ == ViewMode::Chart || quantumPotentialCarpet);
    if (quantumPotentialCarpet) {
        ScaleColourBarToQuantumPotential(widgets_.colourBar, *derived_.quantumPotentialRange,
                                         widgets_.chart.ColourMap());
    } else {
        widgets_.colourBar.SetScale(surface_.ColourScale());
    }
}

bool ResultViews::EnsureQuantumPotential()
{
    if (derived_.HasQuantumPotential()) {
        return true;
    }
    DerivedResults computed;
    {
        const ComputationRunner::Scope busy(runner_, ComputationRunner::Status::Report);
        if (!builder_.QuantumPotential(state_, computed)) {
            return false;
        }
    }
    derived_.TakeQuantumPotential(computed);
    return true;
}

void ResultViews::SaveAndShowCarpetPicture()
{
    carpet_.SaveAndShow(panel_.Carpet().ShowsQuantumPotential());
    UpdateColourBar();
}

// After the computation's time: a failed write of "out.bmp" and the
// histogram's note take the status line.
void ResultViews::ShowCarpetResults()
{
    SaveAndShowCarpetPicture();
    carpet_.ShowHistogram();
}

void ResultViews::ShowVisibility()
{
    if (!visibilityPlot_) {
        visibilityPlot_ = std::make_unique<VisibilityPlot>(&window_);
        visibilityPlot_->setObjectName(QStringLiteral("visibilityPlot"));
        // Over the lower left of the view, clear of the panel.
        const QPoint corner = window_.mapToGlobal(QPoint(0, window_.height()));
        visibilityPlot_->move(corner + QPoint(16, -visibilityPlot_->height() - 48));
    }
    std::vector<VisibilityPoint> points;
    QString note;
    if (state_.densityField.Rows() == 0) {
        note = QStringLiteral("No density has been computed yet.");
    } else {
        try {
            points = FringeVisibility(state_, state_.densityField.View());
            const std::optional<std::string> model = ModelSummary(state_);
            note = QStringLiteral("Within d/2 of the axis at every column; ") +
                   (model ? QString::fromStdString(*model) : QStringLiteral("a coherent beam")) + QLatin1Char('.');
        } catch (const UnusableSettingsError& error) {
            note = QString::fromUtf8(error.what());
        }
    }
    visibilityPlot_->ShowVisibility(std::move(points), state_.parameters.TalbotLength(), note);
    visibilityPlot_->show();
    visibilityPlot_->raise();
}

void ResultViews::RefreshVisibility()
{
    if ((visibilityPlot_ && visibilityPlot_->isVisible()) || state_.parameters.wave.PartiallyCoherent()) {
        ShowVisibility();
    }
}

void ResultViews::PickHistogramColumn(int column)
{
    panel_.Carpet().SetHistogramColumn(column);
    carpet_.PickHistogramColumn(column);
}

void ResultViews::HoverSurface(NearestCellTool& tool)
{
    if (tool.Cell() == -1) {
        widgets_.statusLine.clear();
        return;
    }
    double row = 0.0;
    double column = 0.0;
    tool.GetRowCol(widgets_.chart.Plot(), row, column);
    widgets_.statusLine.setText(spectrumShown_ ? readouts_.SpectrumCell(row, column)
                                               : readouts_.SurfaceCell(row, column, panel_.ShowsQuantumPotentialSurface()));
}

void ResultViews::HoverCarpet(QPoint pixel)
{
    state_.hoveredStart = kNoHoveredStart;
    if (spectrumShown_) {
        if (const std::optional<QString> text = readouts_.SpectrumPixel(pixel)) {
            widgets_.statusLine.setText(*text);
        }
    } else if (const auto point = readouts_.CarpetPixel(pixel, panel_.Carpet().ShowsQuantumPotential())) {
        state_.hoveredStart = point->hoveredStart;
        widgets_.statusLine.setText(point->text);
    }
}

bool ResultViews::ClickCarpet(QPoint pixel)
{
    if (spectrumShown_ || !carpet_.Recolour(pixel, panel_.Carpet().HighlightColour())) {
        return false;
    }
    SaveAndShowCarpetPicture();
    return true;
}

}  // namespace nivaro
