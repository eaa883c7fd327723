#pragma once

#include <QImage>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "chart/Chart.h"
#include "chart/ChartTools.h"
#include "chart/MainChart.h"
#include "chart/export/ChartExport.h"
#include "configuration/PanelTexts.h"
#include "engine/DerivedResults.h"
#include "engine/SimulationState.h"
#include "engine/SurfaceData.h"
#include "engine/WorkEstimate.h"
#include "window/ComputationRunner.h"
#include "window/ParameterPanel.h"
#include "window/ResultBuilder.h"
#include "window/ResultExports.h"
#include "window/ResultReadouts.h"
#include "window/SurfaceContent.h"
#include "window/QuantumPotentialMap.h"

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QScrollArea;
class QTimer;

namespace nivaro {

class CarpetView;
class ChartHost;
class ColourBar;
class CarpetContent;
class ProgressView;
class UserDialogs;
class WindowMenus;

enum class ViewMode { Chart, Image };

// The main window: the parameter panel on the right, the status line at the
// bottom, and one of three views in the client area (progress, the 3D chart,
// the 2D carpet). It wires the panel and the views to the engine.
class MainWindow : public QWidget {
    Q_OBJECT

public:
    MainWindow(SimulationState& state, UserDialogs& dialogs, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Start-up: reads the configuration file in exeDirectory, fills the panel
    // and the scales, runs the 'dzb' check and arms the first Apply. Returns
    // false when the user chose Abort at the 'dzb' warning.
    bool Start(const QString& exeDirectory);

    const QString& ExeDirectory() const { return exeDirectory_; }
    Chart& DensityChart() { return chart_; }
    ViewMode CurrentView() const { return view_; }
    bool Busy() const { return runner_->Busy(); }

public slots:
    void ApplyParameters();
    void ApplyCarpet();
    // The tab rule: shows the view of the current page, and on the 2D page
    // draws the carpet when there is no picture yet.
    void ShowViewOfPage();
    // F11: switches between the density and the Fourier spectrum of psi, on
    // the surface and on the 2D page; the grids keep the density.
    void ToggleSpectrum();
    // Stops the running computation; the results shown before it stay.
    void CancelComputation();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    using BusyState = ComputationRunner::Scope;
    using BusyStatus = ComputationRunner::Status;

    void BuildViews();
    void BuildStatusLine();
    void ArrangeWindow();
    void ConnectHandlers();

    void ShowSession(const WindowSession& session);
    void SaveSession() const;
    void SetView(ViewMode mode);
    void SetViewOfPage();
    void ArmDelayedApply();
    void RunDelayedApply();

    // The run an Apply of the parameters or of the carpet starts.
    RunPlan ParametersPlan() const;
    RunPlan CarpetPlan() const;
    // Refuses work that needs more memory than is available now, and asks
    // before work beyond the limits.
    bool WorkAccepted(const SimulationState& document, const RunPlan& plan);
    void RefreshMemoryLimit();
    // Takes the panel's parameters over and computes with them; false when
    // they were refused, the work declined, or the computation failed or was
    // cancelled.
    bool TakeOverAndCompute();
    // The carpet the 2D page asks for; nothing when the panel's ensemble is
    // refused. Q is asked for only when it is not shown already.
    std::optional<CarpetRequest> CarpetRequestOfPanel(bool quantumPotentialShown);
    // Computes next, with what the page shown needs of it, off the window's
    // thread and, when every part is complete, shows it in place of the
    // results shown.
    bool ComputeAndShow(SimulationState& next, const std::optional<CarpetRequest>& carpet);
    void WriteBackAndEchoConfiguration();
    void RenderCarpetImage();
    // Writes "out.bmp" and composes the picture off the window's thread, then
    // shows it with its colour bar.
    void SaveAndShowCarpetPicture();
    // The picture and the histogram of carpet results just taken.
    void ShowCarpetResults();

    void ConnectMenus();
    // The picture of the view shown: the chart, or the carpet on the 2D page.
    void SaveView();
    void CopyView();
    void ShowPage(ParameterPanel::Page page);
    // The surface the 3D page asks for: the density (prepared with its
    // computation, or here), or Q when it is chosen.
    void ShowDensitySurface(std::optional<DensitySurface> prepared = std::nullopt);
    // F11's view: the spectrum of psi on the surface and the 2D page.
    void ShowSpectrum();
    // Q on the grid of the last computation, computed on first use; false
    // when that computation was cancelled.
    bool EnsureQuantumPotential();
    void PickHistogramColumn(int column);
    // The colour bar of the view shown: the surface's palette or Q's colours.
    void UpdateColourBar();
    // The surface's content or labels changed: the chart is fitted anew.
    void SurfaceChanged();
    // The axis labels in nanometres (1/nm for the spectrum) or in grid blocks,
    // as the View menu says, the colour bar and the fit of the surface.
    void RelabelAxes();
    void SetAntialiasing();
    void ShowShortcuts();
    void ShowAbout();
    // Asks for a sweep of one setting and records its carpets or charts as
    // an animation, showing the frames as they come.
    void RunSweep();
    void EnableCarpetMenuItems();
    void AddToDataFile();
    void ClearDataFile();
    void OpenCarpetPicture();
    void SetLegendVisibility();

    void HoverSurface(NearestCellTool& tool);
    void HoverCarpet(QPoint pixel);
    void ClickCarpet(QPoint pixel);

    SimulationState& state_;
    // The document the last Apply dropped or replaced, for the next one.
    std::unique_ptr<SimulationState> spare_;
    UserDialogs& dialogs_;
    QString exeDirectory_;
    MainChart mainChart_;
    Chart& chart_ = mainChart_.Plot();
    SurfaceSeries& densitySurface_ = mainChart_.Surface();
    RotateTool rotateTool_;
    NearestCellTool nearestTool_;
    // Owned here rather than only as a Qt child, so that it goes before the
    // chart and the tools it refers to (children are deleted after members).
    std::unique_ptr<ChartHost> chartView_;
    bool spectrumShown_ = false;
    bool carpetBeforeSpectrum_ = false;
    std::vector<std::string> densityLegend_;
    // Q, the sampled ensemble and the spectrum of the results shown.
    DerivedResults derived_;
    SurfaceContent surface_{mainChart_, state_, derived_};
    const ResultReadouts readouts_{state_, derived_};
    PanelTexts computedTexts_;  // the panel as the grids were computed with it
    ViewMode view_ = ViewMode::Chart;

    ParameterPanel* controlPanel_ = nullptr;
    QWidget* statusPanel_ = nullptr;
    QLabel* statusLine_ = nullptr;
    ProgressView* progressView_ = nullptr;
    std::unique_ptr<ComputationRunner> runner_;
    std::unique_ptr<ResultBuilder> builder_;
    std::unique_ptr<CarpetContent> carpet_;
    std::unique_ptr<ResultExports> exports_;
    ColourBar* colourBar_ = nullptr;
    CarpetView* carpetView_ = nullptr;
    QTimer* delayedApplyTimer_ = nullptr;
    QMenuBar* menuBar_ = nullptr;
    std::unique_ptr<WindowMenus> menus_;
};

}  // namespace nivaro
