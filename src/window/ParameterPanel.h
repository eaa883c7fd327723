#pragma once

#include <QWidget>
#include <optional>

#include "configuration/PanelTexts.h"
#include "configuration/WindowSession.h"
#include "engine/SimulationState.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace nivaro {

class CarpetPage;
class Stepper;

// The panel on the right of the window: the physical parameters with their
// Apply button, the three axis scales, and the pages that choose between the
// 3D surface and the 2D carpet with the carpet's options (its own part). It turns the
// fields into settings and says why when they cannot be used; the window
// decides what to compute.
class ParameterPanel final : public QWidget {
    Q_OBJECT

public:
    enum class Page { Surface, Carpet };

    // The scale steppers and fields change these scales in place.
    ParameterPanel(AxisScale& scaleX, AxisScale& scaleZ, AxisScale& scaleP, QWidget* parent = nullptr);

    void ShowTexts(const PanelTexts& texts);
    // The grid fields, integers as such and reals in the configuration's style.
    void ShowGrid(const GridSettings& grid);
    // The field model's choices, as the configuration has them.
    void ShowModel(const WaveSettings& wave);
    // A short note under the model's choices, the whole text as its
    // tooltip; hidden without a warning.
    void ShowParaxialWarning(const std::optional<std::string>& warning);
    // The model's fine grid and coherence samples under the model's
    // choices; hidden for the coherent slit model.
    void ShowModelSummary(const std::optional<std::string>& summary);
    PanelTexts Texts() const;

    // Converts the parameter and grid fields together and takes them over into
    // state only when every field converts and the computation can use the
    // result. Otherwise state stays as it was and the returned text says why.
    std::optional<QString> TakeOverParameters(SimulationState& state) const;
    bool ShowsTrajectories3D() const;
    bool ShowsQuantumPotentialSurface() const;
    CarpetPage& Carpet() const { return *carpetPage_; }

    // The page, the check boxes, the contrast and the choices, as the last
    // session left them.
    void ShowSession(const WindowSession& session);
    void KeepSession(WindowSession& session) const;

    Page CurrentPage() const;
    void SelectPage(Page page);

    QPushButton* ApplyButton() const { return applyButton_; }
    QPushButton* SweepButton() const { return sweepButton_; }

signals:
    // The user chose the other page's tab.
    void pageChosen();
    // A scale or the 3D page's trajectory box changed: recompute after a pause.
    void delayedApplyWanted();
    // A text the panel cannot take; the field shows the value in effect again.
    void refused(const QString& message);
    // The 3D page's choice between the density and the quantum potential.
    void surfaceContentChosen();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct ScaleControl {
        AxisScale& scale;
        QLineEdit* field = nullptr;
        Stepper* stepper = nullptr;
    };

    QGroupBox* BuildParameterGroup();
    QGroupBox* BuildAxisGroup();
    QGroupBox* BuildGridGroup();
    QGroupBox* BuildModelGroup();
    void AddToolTips();
    QTabWidget* BuildPages();
    void ConnectControls();
    void ApplyParticlePreset(int index);
    void FollowRows();
    void ShowModelRows();
    void CommitScaleField(ScaleControl& control);
    void StepScale(ScaleControl& control, ScaleDirection direction);
    bool ApplyOnMassEnter(QObject* watched, QEvent* event);

    ScaleControl xScale_;
    ScaleControl zScale_;
    ScaleControl pScale_;

    QLineEdit* slitsField_ = nullptr;
    Stepper* slitsStepper_ = nullptr;
    QComboBox* massBox_ = nullptr;
    QLineEdit* lambdaField_ = nullptr;
    QLineEdit* periodField_ = nullptr;
    QLineEdit* slitWidthField_ = nullptr;
    QLineEdit* sigma0Field_ = nullptr;
    QLineEdit* nxField_ = nullptr;
    QLineEdit* nzField_ = nullptr;
    QLineEdit* nxbField_ = nullptr;
    QLineEdit* dxbField_ = nullptr;
    QLineEdit* stepField_ = nullptr;
    QPushButton* applyButton_ = nullptr;
    QPushButton* sweepButton_ = nullptr;
    QTabWidget* pages_ = nullptr;
    QCheckBox* showTrajectories3DBox_ = nullptr;
    QComboBox* surfaceContentBox_ = nullptr;
    QComboBox* modelBox_ = nullptr;
    QComboBox* gratingBox_ = nullptr;
    QComboBox* propagatorBox_ = nullptr;
    QLabel* paraxialWarning_ = nullptr;
    QLabel* modelSummary_ = nullptr;
    QLineEdit* gratingFileField_ = nullptr;
    QLineEdit* lambdaSpreadField_ = nullptr;
    QLineEdit* sourceWidthField_ = nullptr;
    QLineEdit* coherenceSamplesField_ = nullptr;
    CarpetPage* carpetPage_ = nullptr;
    QGridLayout* modelGrid_ = nullptr;
    int rowsShown_ = GridSettings{}.nx;  // nx before the edit under way
};

}  // namespace nivaro
