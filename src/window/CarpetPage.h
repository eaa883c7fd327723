#pragma once

#include <QString>
#include <QWidget>
#include <optional>
#include <vector>

#include "configuration/WindowSession.h"
#include "engine/CarpetPass.h"
#include "engine/DerivedResults.h"
#include "platform/Rgb.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLineEdit;

namespace nivaro {

class Stepper;

// The 2D page of the panel: the carpet's trajectories and data file, its
// contrast, the colour of a clicked trajectory, the density or Q under it,
// and the sampled ensemble with its histogram. Each change of an option,
// and Enter in a field, asks for the carpet to be drawn again.
class CarpetPage final : public QWidget {
    Q_OBJECT

public:
    explicit CarpetPage(QWidget* parent = nullptr);

    // The options, with the last whole-number contrast typed.
    CarpetOptions CarpetSettings() const;
    // The ensemble fields, or why they cannot be used.
    std::optional<QString> TakeEnsembleChoices(EnsembleChoices& choices) const;
    void SetHistogramColumn(int column);
    bool ShowsQuantumPotential() const;
    // Starts drawn from |psi|^2 instead of the regular ones.
    bool SamplesStarts() const;
    // How the carpet's paths are integrated.
    Integrator ChosenIntegrator() const;
    void ShowIntegrator(Integrator integrator);
    Rgb HighlightColour() const;

    // The check boxes, the contrast and the choices, as the last session left them.
    void ShowSession(const WindowSession& session);
    void KeepSession(WindowSession& session) const;

signals:
    // An option changed, or Enter in a field: draw the carpet again.
    void redrawWanted();

private:
    void AddEnsembleControls(QGridLayout* layout, int firstRow);
    void FillHighlightColours();
    void ConnectControls();
    void AddToolTips();
    void TakeContrast();
    // The ensemble's fields matter only for sampled starts.
    void ShowEnsembleFields();

    QCheckBox* showTrajectoriesBox_ = nullptr;
    QCheckBox* useDataFileBox_ = nullptr;
    QLineEdit* contrastField_ = nullptr;
    Stepper* contrastStepper_ = nullptr;
    QComboBox* highlightColourBox_ = nullptr;
    QComboBox* integratorBox_ = nullptr;
    QComboBox* contentBox_ = nullptr;
    QComboBox* startModeBox_ = nullptr;
    QLineEdit* ensembleSizeField_ = nullptr;
    QLineEdit* seedField_ = nullptr;
    QComboBox* pathsBox_ = nullptr;
    QLineEdit* binsField_ = nullptr;
    QLineEdit* histogramColumnField_ = nullptr;
    std::vector<QWidget*> ensembleRows_;  // the fields of sampled starts with their captions
    int contrast_ = 1;
};

}  // namespace nivaro
