#pragma once

#include <QImage>
#include <QWidget>

#include "chart/Chart.h"

namespace nivaro {

// The widget that shows a chart: it paints the chart into an off-screen
// image when the chart has changed and copies the image to the screen in
// one block.
class ChartHost : public QWidget {
    Q_OBJECT

public:
    // The rotate tool's drag shows the hand cursor.
    ChartHost(Chart& chart, const RotateTool& rotateTool, QWidget* parent = nullptr);
    ~ChartHost() override;

    // Chooses the zoom anew before the next paint, so that the box, its axes
    // and labels fit the widget and stay clear of the legend (also done at
    // every new size and after a drag).
    void RequestFit();
    // Smooth edges on the surface mesh and the trajectories.
    void SetAntialiasing(bool on);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void ShowDragCursor();
    // Device pixels per widget pixel, and a widget point in chart pixels.
    int DeviceScale() const;
    QPoint ChartPoint(QPointF at) const;
    // Ends a drag whose release this widget will never see: hidden by a
    // computation, or released outside while another window had the mouse.
    // at is in chart pixels.
    void EndDrag(QPoint at);

    Chart& chart_;
    const RotateTool& rotateTool_;
    QImage image_;
    bool dirty_ = true;
    bool antialiased_ = false;
    bool fitNeeded_ = true;
};

}  // namespace nivaro
