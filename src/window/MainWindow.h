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
class UpDown;
class WindowProgress;
class UserDialogs;
enum class ScaleDirection;

enum class ViewMode { Progress, Chart, Image };

// The main window: the parameter panel on the right, the status line at the
// bottom, and one of three views in the client area (progress, the 3D chart,
// the 2D carpet). Every component carries its own name as object name.
class TForm5 : public QWidget {
    Q_OBJECT

public:
    TForm5(SimulationState& state, UserDialogs& dialogs, QWidget* parent = nullptr);
    ~TForm5() override;

    // Start-up: reads the configuration file in exeDirectory, fills the panel
    // and the scales, runs the 'dzb' check and arms the first Apply. Returns
    // false when the user chose Abort at the 'dzb' warning.
    bool FormCreate(const QString& exeDirectory);

    const QString& ExeDirectory() const { return exeDirectory_; }
    TChart& Chart() { return chart_; }
    ViewMode CurrentView() const { return view_; }
    bool Busy() const { return busyDepth_ > 0; }

public slots:
    void Button4Click();
    void Button1Click();
    void PageControl1Change();
    // F11: the Fourier spectrum of psi on the surface, once per computation.
    void FormKeyDown(int key);

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
    void FillColorBox();

    void SetView(ViewMode mode);
    void ShowViewOfPage();
    void ArmDelayedApply();
    void Timer1Timer();
    void ComboBox1CloseUp(int index);
    void CheckBox1Click();
    void CheckBox2Click();
    void Edit9Change();
    void ScaleFieldExit(AxisScale& scale, QLineEdit* field, bool byUser);
    void ScaleStep(AxisScale& scale, QLineEdit* field, ScaleDirection direction);
    void Viewlegend1Click();

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
    void Copy1Click();
    void norm1Click();
    void PopupMenu2Popup();
    void AddtoDATfile1Click();
    void ClearDATfile1Click();
    void Openwith1Click();
    void SurfaceHover(TSurfaceNearestTool& tool);
    void Image1MouseMove(int x, int y);
    void Image1MouseDown(Qt::MouseButton button, int x, int y);

    SimulationState& state_;
    UserDialogs& dialogs_;
    QString exeDirectory_;
    MainChart mainChart_;
    TChart& chart_ = mainChart_.Chart();
    TSurfaceSeries& Series1 = mainChart_.Surface();
    TRotateTool ChartTool1;
    TSurfaceNearestTool nearestTool_;
    bool spectrumShown_ = false;
    std::unique_ptr<WindowProgress> progress_;
    ViewMode view_ = ViewMode::Chart;
    int busyDepth_ = 0;

    QWidget* Panel1 = nullptr;
    QWidget* Panel2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label16 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QWidget* progressView_ = nullptr;
    ChartHost* Chart1 = nullptr;
    QScrollArea* ScrollBox1 = nullptr;
    QLabel* Image1 = nullptr;
    QPushButton* Button4 = nullptr;
    QLineEdit* Edit1 = nullptr;
    UpDown* UpDown1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QLineEdit* Edit7 = nullptr;
    QLineEdit* Edit6 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QLineEdit* Edit5 = nullptr;
    QLineEdit* Edit8 = nullptr;
    UpDown* UpDown2 = nullptr;
    UpDown* UpDown3 = nullptr;
    UpDown* UpDown4 = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QCheckBox* CheckBox4 = nullptr;
    QLineEdit* Edit9 = nullptr;
    UpDown* UpDown5 = nullptr;
    QComboBox* ColorBox1 = nullptr;
    QPushButton* Button1 = nullptr;
    QTimer* Timer1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QMenu* PopupMenu2 = nullptr;
    QAction* Viewlegend1 = nullptr;
    QAction* ClearDATfile1 = nullptr;
    QAction* AddtoDATfile1 = nullptr;
};

}  // namespace nivaro
