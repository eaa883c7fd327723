#pragma once

#include <QWidget>

#include "chart/TChart.h"

namespace nivaro {

// The widget that shows a chart. Until the chart engine draws the series it
// paints the chart's background, frame and legend title.
class ChartHost : public QWidget {
    Q_OBJECT

public:
    explicit ChartHost(TChart& chart, QWidget* parent = nullptr);
    ~ChartHost() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TChart& chart_;
};

}  // namespace nivaro
