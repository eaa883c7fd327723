#pragma once

#include <QElapsedTimer>
#include <QWidget>

#include "engine/ProgressSink.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace nivaro {

// The view shown while a computation runs: a large caption with the percent
// over a progress bar and a Cancel button. It receives the computation's
// progress reports, puts the elapsed time in the status line, and lets the
// window handle pending events meanwhile.
class ProgressView final : public QWidget, public ProgressSink {
    Q_OBJECT

public:
    ProgressView(QLabel& statusLine, QWidget* parent = nullptr);

    // A computation starts: the clock runs from here.
    void Begin();
    // The computation ended: the status line keeps how long it took.
    void Finish(bool cancelled);
    // The last frame of a sweep, under the bar.
    void ShowPreview(const QImage& frame);

signals:
    void cancelRequested();

protected:
    void Show(const ProgressReport& report) override;

private:
    QLabel* caption_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QLabel* preview_ = nullptr;
    QLabel& statusLine_;
    QElapsedTimer clock_;
};

}  // namespace nivaro
