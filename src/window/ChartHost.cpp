#include "ChartHost.h"

#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>
#include <optional>

#include "chart/export/ChartExport.h"
#include "platform/QPainterDevice.h"

namespace nivaro {

namespace {


std::optional<MouseButton> ChartButton(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        return MouseButton::Left;
    case Qt::RightButton:
        return MouseButton::Right;
    case Qt::MiddleButton:
        return MouseButton::Middle;
    default:
        return std::nullopt;
    }
}

Qt::MouseButton QtButton(MouseButton button)
{
    switch (button) {
    case MouseButton::Left:
        return Qt::LeftButton;
    case MouseButton::Right:
        return Qt::RightButton;
    case MouseButton::Middle:
        return Qt::MiddleButton;
    }
    return Qt::NoButton;
}

}  // namespace

ChartHost::ChartHost(Chart& chart, const RotateTool& rotateTool, QWidget* parent)
    : QWidget(parent), chart_(chart), rotateTool_(rotateTool)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    chart_.SetInvalidateHandler([this] {
        dirty_ = true;
        update();
    });
    chart_.SetOverlayHandler([this](const std::function<void(DrawingDevice&)>& paint) {
        if (!image_.isNull()) {
            QPainterDevice device(image_);
            paint(device);
            update();
        }
    });
}

ChartHost::~ChartHost()
{
    chart_.SetInvalidateHandler(nullptr);
    chart_.SetOverlayHandler(nullptr);
}

void ChartHost::ShowDragCursor()
{
    if (rotateTool_.Dragging()) {
        setCursor(Qt::ClosedHandCursor);
    } else {
        unsetCursor();
    }
}

void ChartHost::mousePressEvent(QMouseEvent* event)
{
    if (const std::optional<MouseButton> button = ChartButton(event->button())) {
        const QPoint at = ChartPoint(event->position());
        chart_.MouseDown(*button, at.x(), at.y());
        ShowDragCursor();
    }
    QWidget::mousePressEvent(event);
}

void ChartHost::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = ChartPoint(event->position());
    if (!event->buttons().testFlag(QtButton(rotateTool_.Button))) {
        EndDrag(at);
    }
    chart_.MouseMove(at.x(), at.y());
    QWidget::mouseMoveEvent(event);
}

void ChartHost::hideEvent(QHideEvent* event)
{
    EndDrag(ChartPoint(mapFromGlobal(QCursor::pos())));
    QWidget::hideEvent(event);
}

void ChartHost::EndDrag(QPoint at)
{
    if (rotateTool_.Dragging()) {
        chart_.MouseUp(rotateTool_.Button, at.x(), at.y());
        ShowDragCursor();
    }
}

void ChartHost::mouseReleaseEvent(QMouseEvent* event)
{
    const MouseButton button = ChartButton(event->button()).value_or(MouseButton::Left);
    const QPoint at = ChartPoint(event->position());
    chart_.MouseUp(button, at.x(), at.y());
    ShowDragCursor();
    RequestFit();  // the turned box may reach further
    QWidget::mouseReleaseEvent(event);
}

// A fit measures the chart's outline, which costs less than a paint, so
// every size is fitted at once and a resize settles with its last step.
void ChartHost::resizeEvent(QResizeEvent* event)
{
    fitNeeded_ = true;
    QWidget::resizeEvent(event);
}

void ChartHost::RequestFit()
{
    fitNeeded_ = true;
    update();
}

void ChartHost::SetAntialiasing(bool on)
{
    antialiased_ = on;
    dirty_ = true;
    update();
}

// On a scaled display the chart is laid out in device pixels with its text
// scaled up, so that lines and the mesh are drawn at device resolution.
void ChartHost::paintEvent(QPaintEvent*)
{
    const int scale = DeviceScale();
    chart_.View3DOptions().SetFontZoom(100 * scale);
    const QSize deviceSize = size() * scale;
    if (fitNeeded_) {
        LayOutChart(chart_, deviceSize.width(), deviceSize.height(), scale);
        fitNeeded_ = false;
        dirty_ = true;
    }
    if (dirty_ || image_.size() != deviceSize) {
        image_ = DrawChartImage(chart_, deviceSize.width(), deviceSize.height(), antialiased_);
        dirty_ = false;
    }
    QPainter(this).drawImage(QRectF(rect()), image_);
}

int ChartHost::DeviceScale() const
{
    return std::max(1, static_cast<int>(std::ceil(devicePixelRatioF())));
}

QPoint ChartHost::ChartPoint(QPointF at) const
{
    return (at * DeviceScale()).toPoint();
}

}  // namespace nivaro
