#pragma once

#include <QWidget>
#include <memory>

#include "chart/Chart.h"
#include "chart/ChartTools.h"
#include "chart/MainChart.h"
#include "configuration/PanelTexts.h"
#include "configuration/WindowSession.h"
#include "engine/DerivedResults.h"
#include "engine/SimulationState.h"
#include "window/ParameterPanel.h"
#include "window/ResultViews.h"

class QLabel;
class QMenuBar;
class QTimer;

namespace nivaro {

class CarpetView;
class ChartHost;
class ColourBar;
class ComputationRunner;
class PictureOpener;
class ProgressView;
class ResultComputations;
class ResultExports;
class UserDialogs;
class WindowMenus;

// The main window: the parameter panel on the right, the status line at the
// bottom, the 3D chart or the 2D carpet in the client area with the progress
// strip over their foot while a computation runs. It lays out and wires the
// parts: the panel, the views of the results, their computations, exports
// and menus.
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
    ViewMode CurrentView() const { return views_->View(); }
    bool Busy() const;

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
    void BuildViews();
    void BuildStatusLine();
    void ArrangeWindow();
    void ConnectHandlers();
    void ConnectMenus();

    std::string ConfigurationPath() const;
    void ShowSession(const WindowSession& session);
    void SaveSession() const;
    void ArmDelayedApply();
    void RunDelayedApply();

    // The picture of the view shown: the chart, or the carpet on the 2D page.
    void SaveView();
    void CopyView();
    void ShowPage(ParameterPanel::Page page);
    void PickHistogramColumn(int column);
    void ClickCarpet(QPoint pixel);
    void HoverChartAtCursor();
    void SetAntialiasing();
    void SetLegendVisibility();
    void ShowShortcuts();
    void ShowAbout();
    // Asks for a sweep of one setting and records its carpets or charts as
    // an animation, showing the frames as they come.
    void RunSweep();
    void EnableCarpetMenuItems();
    void AddToDataFile();
    void ClearDataFile();
    void OpenCarpetPicture();

    SimulationState& state_;
    UserDialogs& dialogs_;
    QString exeDirectory_;
    MainChart mainChart_;
    Chart& chart_ = mainChart_.Plot();
    RotateTool rotateTool_;
    NearestCellTool nearestTool_;
    // Owned here rather than only as a Qt child, so that it goes before the
    // chart and the tools it refers to (children are deleted after members).
    std::unique_ptr<ChartHost> chartView_;
    // Q, the sampled ensemble and the spectrum of the results shown.
    DerivedResults derived_;
    PanelTexts computedTexts_;  // the panel as the grids were computed with it
    bool spectrumAtStart_ = false;  // shown after the first computation, as the last session left it

    ParameterPanel* controlPanel_ = nullptr;
    QWidget* statusPanel_ = nullptr;
    QLabel* statusLine_ = nullptr;
    ProgressView* progressView_ = nullptr;
    ColourBar* colourBar_ = nullptr;
    CarpetView* carpetView_ = nullptr;
    QTimer* delayedApplyTimer_ = nullptr;
    QMenuBar* menuBar_ = nullptr;
    std::unique_ptr<ComputationRunner> runner_;
    std::unique_ptr<ResultExports> exports_;
    std::unique_ptr<WindowMenus> menus_;
    std::unique_ptr<ResultViews> views_;
    std::unique_ptr<ResultComputations> computations_;
    std::unique_ptr<PictureOpener> pictureOpener_;
};

}  // namespace nivaro
