#pragma once

#include <QString>
#include <memory>
#include <optional>
#include <string>

#include "configuration/PanelTexts.h"
#include "engine/DerivedResults.h"
#include "engine/SimulationState.h"
#include "engine/WorkEstimate.h"
#include "window/ResultBuilder.h"

class QLabel;

namespace nivaro {

class ComputationRunner;
class ProgressSink;
class ParameterPanel;
class ResultViews;
class UserDialogs;

// The window's computations: an Apply of the parameters (the density, with
// the carpet when the 2D page is shown) and an Apply of the carpet. Each
// takes the panel's settings, refuses work beyond the memory available and
// asks before work beyond the limits, builds its results off the window's
// thread, and puts them in place of the results shown only when every part
// is complete; a completed Apply of the parameters is written back to the
// configuration file.
class ResultComputations {
public:
    struct Shown {
        SimulationState& state;
        DerivedResults& derived;
        PanelTexts& computedTexts;  // the panel as the grids were computed with it
    };

    ResultComputations(Shown shown, ParameterPanel& panel, UserDialogs& dialogs, ComputationRunner& runner,
                       ProgressSink& progress, ResultViews& views, QLabel& statusLine);
    ~ResultComputations();

    void SetConfigurationPath(std::string path) { configurationPath_ = std::move(path); }
    // The grids shown stay in memory while new ones are computed, so that a
    // cancelled computation leaves them as they are: new grids must fit
    // beside them.
    void RefreshMemoryLimit();

    void ApplyParameters();
    void ApplyCarpet();
    // The tab rule: shows the view of the current page, and on the 2D page
    // draws the carpet when there is no picture yet.
    void ShowViewOfPage();

private:
    static RunPlan CarpetPlan(const CarpetRequest& request);
    bool WorkAccepted(const SimulationState& document, const RunPlan& plan);
    void TakeOverAndCompute();
    // The carpet the 2D page asks for; nothing when the panel's ensemble is
    // refused. Q is asked for only when it is not shown already.
    std::optional<CarpetRequest> CarpetRequestOfPanel(bool quantumPotentialShown);
    void ComputeAndShow(SimulationState& next, const std::optional<CarpetRequest>& carpet);
    void RenderCarpet();
    // The automatic write-back stays silent when the file cannot be
    // written; the legend then echoes the settings as they would have been
    // written.
    void WriteBackAndEchoConfiguration();
    bool RegularPathsAsked() const;
    // Says in the status line when no slit or no trajectory start lies in
    // the grid.
    void WarnOfEmptyViews();

    Shown shown_;
    ParameterPanel& panel_;
    UserDialogs& dialogs_;
    ComputationRunner& runner_;
    ResultViews& views_;
    QLabel& statusLine_;
    ResultBuilder builder_;
    // The document the last Apply dropped or replaced, for the next one.
    std::unique_ptr<SimulationState> spare_;
    std::string configurationPath_;
    bool drawingCarpet_ = false;
};

}  // namespace nivaro
