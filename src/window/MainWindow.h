#pragma once

#include <QImage>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "chart/MainChart.h"
#include "chart/Chart.h"
#include "chart/PointSeries3D.h"
#include "chart/SurfaceSeries.h"
#include "configuration/PanelTexts.h"
#include "engine/ProgressSink.h"
#include "engine/SimulationState.h"

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QTabWidget;
class QTimer;

namespace nivaro {

class ChartHost;
class Stepper;
class ProgressView;
class UserDialogs;
enum class ScaleDirection;

enum class ViewMode { Progress, Chart, Image };

// The main window: the parameter panel on the right, the status line at the
// bottom, and one of three views in the client area (progress, the 3D chart,
// the 2D carpet). Every component carries its own name as object name.
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
    bool Busy() const { return busyDepth_ > 0; }

public slots:
    void ApplyParameters();
    void ApplyCarpet();
    void ShowViewOfPage();
    // F11: the Fourier spectrum of psi on the surface, once per computation.
    void ShowSpectrum();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    class BusyState;
    friend class BusyState;

    void BuildPanel();
    QGroupBox* BuildParameterGroup();
    QGroupBox* BuildAxisGroup();
    QTabWidget* BuildPages();
    void BuildViews();
    void ConnectHandlers();
    void FillHighlightColours();

    void SetView(ViewMode mode);
    void SetViewOfPage();
    void ArmDelayedApply();
    void RunDelayedApply();
    void ApplyParticlePreset(int index);
    void RedrawCarpet();
    void QueueCarpetRedraw();
    void CommitScaleField(AxisScale& scale, QLineEdit* field, bool byUser);
    void ScaleStep(AxisScale& scale, QLineEdit* field, ScaleDirection direction);
    void SetLegendVisibility();

    bool TakeOverParameters();
    void ComputeDensityGrid();
    void WriteBackAndEchoConfiguration();
    PanelTexts CurrentPanelTexts() const;
    void RenderCarpetImage();
    bool WriteImageFile();
    void ShowCarpetPicture();
    void BuildMenus();
    // Asks for a file name and runs save with it; a failure is reported with
    // the file and the reason.
    void SaveWithDialog(const char* suffix, const char* filter, const std::function<void(const std::string&)>& save);
    QImage CarpetPicture() const;
    void CopyChart();
    void SaveDensityTable();
    void EnableCarpetMenuItems();
    void AddToDataFile();
    void ClearDataFile();
    void OpenCarpetPicture();
    void HoverSurface(NearestCellTool& tool);
    void HoverCarpet(int x, int y);
    void ClickCarpet(Qt::MouseButton button, int x, int y);

    SimulationState& state_;
    UserDialogs& dialogs_;
    QString exeDirectory_;
    MainChart mainChart_;
    Chart& chart_ = mainChart_.Plot();
    SurfaceSeries& densitySurface_ = mainChart_.Surface();
    RotateTool rotateTool_;
    NearestCellTool nearestTool_;
    bool spectrumShown_ = false;
    std::unique_ptr<ProgressView> progress_;
    ViewMode view_ = ViewMode::Chart;
    int busyDepth_ = 0;

    QWidget* controlPanel_ = nullptr;
    QWidget* statusPanel_ = nullptr;
    QLabel* statusLine_ = nullptr;
    QLabel* progressCaption_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    QWidget* progressView_ = nullptr;
    ChartHost* chartView_ = nullptr;
    QScrollArea* carpetScroll_ = nullptr;
    QLabel* carpetView_ = nullptr;
    QPushButton* applyButton_ = nullptr;
    QLineEdit* slitsField_ = nullptr;
    Stepper* slitsStepper_ = nullptr;
    QComboBox* massBox_ = nullptr;
    QLineEdit* lambdaField_ = nullptr;
    QLineEdit* periodField_ = nullptr;
    QLineEdit* slitWidthField_ = nullptr;
    QLineEdit* sigma0Field_ = nullptr;
    QLineEdit* xScaleField_ = nullptr;
    QLineEdit* zScaleField_ = nullptr;
    QLineEdit* pScaleField_ = nullptr;
    Stepper* xScaleStepper_ = nullptr;
    Stepper* zScaleStepper_ = nullptr;
    Stepper* pScaleStepper_ = nullptr;
    QTabWidget* pages_ = nullptr;
    QCheckBox* showTrajectories3DBox_ = nullptr;
    QCheckBox* showTrajectoriesBox_ = nullptr;
    QCheckBox* useDataFileBox_ = nullptr;
    QLineEdit* contrastField_ = nullptr;
    Stepper* contrastStepper_ = nullptr;
    QComboBox* highlightColourBox_ = nullptr;
    QPushButton* carpetApplyButton_ = nullptr;
    QTimer* delayedApplyTimer_ = nullptr;
    QMenu* chartMenu_ = nullptr;
    QMenu* carpetMenu_ = nullptr;
    QAction* viewLegendAction_ = nullptr;
    QAction* clearDataFileAction_ = nullptr;
    QAction* addToDataFileAction_ = nullptr;
};

}  // namespace nivaro
