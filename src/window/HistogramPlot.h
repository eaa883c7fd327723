#pragma once

#include <QWidget>

#include "engine/TrajectoryEnsemble.h"

namespace nivaro {

// The ensemble's positions at one column against |psi|^2 there: bars for
// the histogram (as a probability density), a line for |psi|^2, x in nm
// below and in units of d above, and the total variation distance with what
// happened to the trajectories not counted underneath.
class HistogramPlot final : public QWidget {
    Q_OBJECT

public:
    explicit HistogramPlot(QWidget* parent = nullptr);

    // period is d in metres, for the upper axis.
    void ShowHistogram(const EnsembleHistogram& histogram, double period);
    const QString& Note() const { return note_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    EnsembleHistogram histogram_;
    double period_ = 1.0;
    QString note_;
};

}  // namespace nivaro
