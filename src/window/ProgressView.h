#pragma once

#include <QElapsedTimer>
#include <QWidget>

#include "engine/ProgressSink.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace nivaro {

// "elapsed 12 s, about 30 s left", from the share done so far.
QString TimeLeftText(double elapsedSeconds, int percent);

// The strip shown under the views while a computation runs: a caption with
// the percent, a progress bar, the time elapsed and left, a Cancel button
// and, during a sweep, the last frame. It receives the computation's
// progress reports on the window's thread and puts the elapsed time in the
// status line.
class ProgressView final : public QWidget, public ProgressSink {
    Q_OBJECT

public:
    ProgressView(QLabel& statusLine, QWidget* parent = nullptr);

    // A computation starts: the clock runs from here.
    void Begin();
    // The computation ended: the status line keeps how long it took, when
    // asked to.
    void Finish(bool cancelled, bool reportTime = true);
    // The last frame of a sweep, under the bar.
    void ShowPreview(const QImage& frame);

signals:
    void cancelRequested();

protected:
    void Show(const ProgressReport& report) override;

private:
    QLabel* caption_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QLabel* timeLeft_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QLabel* preview_ = nullptr;
    QLabel& statusLine_;
    QElapsedTimer clock_;
    QTimer* ticker_ = nullptr;  // the elapsed time goes on between reports
    int percent_ = 0;
};

}  // namespace nivaro
