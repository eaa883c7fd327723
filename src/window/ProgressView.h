#pragma once

#include <QWidget>

#include "engine/ProgressSink.h"

class QLabel;
class QProgressBar;

namespace nivaro {

// The view shown while a computation runs: a large caption with the percent
// over a progress bar. It receives the computation's progress reports, puts
// the elapsed time in the status line, and lets the window handle pending
// events meanwhile.
class ProgressView final : public QWidget, public ProgressSink {
    Q_OBJECT

public:
    ProgressView(QLabel& statusLine, QWidget* parent = nullptr);

protected:
    void Show(const ProgressReport& report) override;

private:
    QLabel* caption_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QLabel& statusLine_;
};

}  // namespace nivaro
