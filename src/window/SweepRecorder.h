#pragma once

#include <QSize>
#include <QString>
#include <optional>

#include "configuration/SweepPlan.h"

class QImage;
class QLabel;

namespace nivaro {

class ComputationRunner;
class MainChart;
class ParameterPanel;
class ProgressView;
class UserDialogs;
struct SimulationState;
struct SweepRequest;

// The frame rate of the animations the window's sweeps record.
inline constexpr int kSweepFramesPerSecond = 10;

// Records a sweep of one setting as an animation. Each frame starts from the
// panel's settings with the swept value and is computed off the window's
// thread in a document of its own, so the results shown stay; the frames go
// into the animation as they come and show under the progress bar, and a
// cancel keeps those finished.
class SweepRecorder {
public:
    SweepRecorder(ComputationRunner& runner, ProgressView& progress, QLabel& statusLine, const ParameterPanel& panel,
                  UserDialogs& dialogs, MainChart& chart);

    // What the status line says afterwards, or nothing when the animation
    // could not even be opened; failures are told in message boxes. Every
    // frame is a figure of frameSize, titled with its value.
    std::optional<QString> Record(const SweepRequest& request, const SimulationState& shown, QSize frameSize);

private:
    // The settings of one run of the sweep, or why they cannot be computed.
    std::optional<QString> TakeRunSettings(const SweepRun& run, const SimulationState& shown,
                                           SimulationState& frameState) const;

    ComputationRunner& runner_;
    ProgressView& progress_;
    QLabel& statusLine_;
    const ParameterPanel& panel_;
    UserDialogs& dialogs_;
    MainChart& chart_;
};

}  // namespace nivaro
