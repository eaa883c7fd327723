#pragma once

#include <QWidget>
#include <vector>

#include "engine/PartialCoherence.h"

namespace nivaro {

// The fringe visibility along z as a line from 0 to 1, z in nm below and in
// Talbot lengths above, with a note on what it was computed from.
class VisibilityPlot final : public QWidget {
    Q_OBJECT

public:
    explicit VisibilityPlot(QWidget* parent = nullptr);

    // An empty list shows the note alone (why there is no visibility).
    void ShowVisibility(std::vector<VisibilityPoint> points, double talbotLength, const QString& note);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<VisibilityPoint> points_;
    double talbotLength_ = 1.0;
    QString note_;
};

}  // namespace nivaro
