#pragma once

#include <QWidget>

#include "engine/TrajectoryEnsemble.h"

namespace nivaro {

// The ensemble's positions at one column against |psi|^2 there: bars for
// the histogram (as a probability density in 1/nm, on the left axis), a
// line for |psi|^2, x in nm below and in units of d above, and the total
// variation distance with what happened to the trajectories not counted
// underneath. The column is named by its z in nm.
class HistogramPlot final : public QWidget {
    Q_OBJECT

public:
    explicit HistogramPlot(QWidget* parent = nullptr);

    // period is d in metres, for the upper axis; z is where the column lies,
    // in metres.
    void ShowHistogram(const EnsembleHistogram& histogram, double period, double z);
    const QString& Note() const { return note_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    EnsembleHistogram histogram_;
    double period_ = 1.0;
    QString note_;
};

}  // namespace nivaro
