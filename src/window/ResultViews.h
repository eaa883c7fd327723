#pragma once

#include <QPoint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/DerivedResults.h"
#include "engine/SimulationState.h"
#include "engine/SurfaceData.h"
#include "figure/Figure.h"
#include "window/CarpetContent.h"
#include "window/ResultBuilder.h"
#include "window/ResultReadouts.h"
#include "window/SurfaceContent.h"

class QLabel;
class QWidget;

namespace nivaro {

class CarpetView;
class ChartHost;
class ColourBar;
class ComputationRunner;
class MainChart;
class NearestCellTool;
class ParameterPanel;
class ProgressView;
class VisibilityPlot;
class WindowMenus;

enum class ViewMode { Chart, Image };

// The views of the results shown: the 3D chart with its colour bar and the
// 2D carpet, what each shows (the density, Q or the spectrum; the carpet's
// picture and histogram), and what the status line says under the mouse.
class ResultViews {
public:
    struct Widgets {
        MainChart& chart;
        ChartHost& chartView;
        ColourBar& colourBar;
        CarpetView& carpetView;
        QLabel& statusLine;
    };
    // The panel says what the pages ask for; the menus keep the spectrum's
    // and the labels' choices.
    ResultViews(QWidget& window, Widgets widgets, ParameterPanel& panel, const WindowMenus& menus,
                ComputationRunner& runner, ProgressView& progress, SimulationState& state, DerivedResults& derived);
    ~ResultViews();

    ViewMode View() const { return view_; }
    void SetView(ViewMode mode);
    bool SpectrumShown() const { return spectrumShown_; }
    CarpetContent& Carpet() { return carpet_; }
    // The echo of the settings the results were computed with, over the chart.
    void SetLegend(std::vector<std::string> legend) { legend_ = std::move(legend); }

    // The surface the 3D page asks for: the density (prepared with its
    // computation, or here), or Q when it is chosen.
    void ShowDensitySurface(std::optional<DensitySurface> prepared = std::nullopt);
    // F11: the density and the spectrum of psi take turns on the surface and
    // the 2D page. True when the 2D page is left without a picture, to be
    // drawn anew.
    bool ToggleSpectrum();
    void RelabelAxes();
    // Recolours the surface, Q and the spectrum wherever they are shown.
    void ApplyColourMap(ColourMapKind kind);
    // The spectrum's surface anew at the height the View menu chooses.
    void ApplySpectrumHeight();
    // The figure of what the page shows: the chart, the carpet, Q or the
    // spectrum, with its colour scale and the settings as its title.
    Figure CurrentFigure();
    // The colour bar of the view shown: the surface's palette or Q's colours.
    void UpdateColourBar();
    // Q of the results, computed off the window's thread on first use;
    // false when that was cancelled.
    bool EnsureQuantumPotential();

    // Writes "out.bmp" and shows the carpet's picture with its colour bar.
    void SaveAndShowCarpetPicture();
    // The picture and the histogram of carpet results just taken.
    void ShowCarpetResults();
    void PickHistogramColumn(int column);
    // The fringe visibility of the density shown, in its own small window;
    // kept up to date with new results while it is open, and opened by
    // results of a partially coherent beam.
    void ShowVisibility();
    void RefreshVisibility();

    void HoverSurface(NearestCellTool& tool);
    void HoverCarpet(QPoint pixel);
    // Recolours the trajectory under a click; true when there was one.
    bool ClickCarpet(QPoint pixel);

private:
    // False when the spectrum's computation was cancelled or failed: the
    // views stay as they were.
    bool ShowSpectrum();
    SpectrumHeight ChosenSpectrumHeight() const;
    // The surface's content or labels changed: the chart is fitted anew.
    void SurfaceChanged();

    QWidget& window_;
    Widgets widgets_;
    ParameterPanel& panel_;
    const WindowMenus& menus_;
    ComputationRunner& runner_;
    ResultBuilder builder_;
    SimulationState& state_;
    DerivedResults& derived_;
    SurfaceContent surface_;
    const ResultReadouts readouts_;
    CarpetContent carpet_;
    std::vector<std::string> legend_;
    ViewMode view_ = ViewMode::Chart;
    bool spectrumShown_ = false;
    bool carpetBeforeSpectrum_ = false;
    std::unique_ptr<VisibilityPlot> visibilityPlot_;
};

}  // namespace nivaro
