#pragma once

#include <QImage>
#include <QWidget>

#include "chart/TChart.h"

namespace nivaro {

// The widget that shows a chart: it paints the chart into an off-screen
// image when the chart has changed and copies the image to the screen in
// one block.
class ChartHost : public QWidget {
    Q_OBJECT

public:
    explicit ChartHost(TChart& chart, QWidget* parent = nullptr);
    ~ChartHost() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TChart& chart_;
    QImage image_;
    bool dirty_ = true;
};

}  // namespace nivaro
