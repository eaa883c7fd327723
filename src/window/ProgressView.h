#pragma once

#include "engine/ProgressSink.h"

class QLabel;
class QProgressBar;

namespace nivaro {

// Shows the progress of a computation in the progress view and the status
// line, and lets the window handle pending events meanwhile.
class ProgressView final : public ProgressSink {
public:
    ProgressView(QProgressBar& bar, QLabel& percentLabel, QLabel& statusLabel)
        : bar_(bar), percentLabel_(percentLabel), statusLabel_(statusLabel)
    {
    }

protected:
    void Show(const ProgressReport& report) override;

private:
    QProgressBar& bar_;
    QLabel& percentLabel_;
    QLabel& statusLabel_;
};

}  // namespace nivaro
