#pragma once

#include <vector>

#include "engine/ProgressSink.h"
#include "engine/SimulationState.h"

namespace nivaro {

// Records every progress report that reaches the front end, and can ask for
// a stop once a given percentage has been shown.
class RecordingProgress final : public ProgressSink {
public:
    explicit RecordingProgress(SimulationState* stopTarget = nullptr, int stopAtPercent = -1)
        : stopTarget_(stopTarget), stopAtPercent_(stopAtPercent)
    {
    }
    std::vector<ProgressReport> reports;

protected:
    void Show(const ProgressReport& report) override
    {
        reports.push_back(report);
        if (stopTarget_ != nullptr && report.percent == stopAtPercent_) {
            stopTarget_->stopRequested = true;
        }
    }

private:
    SimulationState* stopTarget_;
    int stopAtPercent_;
};

}  // namespace nivaro
