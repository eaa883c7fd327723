#include "CarpetView.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "platform/RoundStep.h"

namespace nivaro {
namespace {

constexpr int kLeftMargin = 64;
constexpr int kBottomMargin = 40;
constexpr int kEdge = 8;
constexpr double kZoomStep = 1.25;
constexpr double kLargestZoom = 64.0;

QString TickText(double value, double step)
{
    const int decimals = std::clamp(static_cast<int>(-std::floor(std::log10(step))), 0, 6);
    return QString::number(value, 'f', decimals);
}

}  // namespace

CarpetView::CarpetView(QWidget* parent) : QWidget(parent)
{
    setCursor(Qt::CrossCursor);
    setMouseTracking(true);
    setFocusPolicy(Qt::WheelFocus);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
}

void CarpetView::ShowPicture(QImage picture)
{
    const bool sameSize = picture.size() == picture_.size();
    picture_ = std::move(picture);
    if (!sameSize) {
        FitToWindow();
    }
    ViewChanged();
}

void CarpetView::Clear()
{
    picture_ = QImage();
    update();
}

void CarpetView::SetAxes(const CarpetAxes& axes)
{
    axes_ = axes;
    update();
}

void CarpetView::SetSmoothing(bool on)
{
    smoothing_ = on;
    update();
}

QRectF CarpetView::PlotArea() const
{
    return QRectF(kLeftMargin, kEdge, std::max(1, width() - kLeftMargin - kEdge),
                  std::max(1, height() - kBottomMargin - kEdge));
}

double CarpetView::Zoom() const
{
    if (!fitted_ || picture_.isNull()) {
        return zoom_;
    }
    const QRectF plot = PlotArea();
    return std::min(plot.width() / picture_.width(), plot.height() / picture_.height());
}

QPointF CarpetView::Origin() const
{
    if (!fitted_ || picture_.isNull()) {
        return origin_;
    }
    const QRectF plot = PlotArea();
    const double zoom = Zoom();
    return QPointF(picture_.width() / 2.0 - plot.width() / (2 * zoom), picture_.height() / 2.0 - plot.height() / (2 * zoom));
}

void CarpetView::FitToWindow()
{
    fitted_ = true;
    ViewChanged();
}

// One screen pixel per grid point, with the slits (column 0, the middle row)
// in view.
void CarpetView::ShowActualSize()
{
    const QRectF plot = PlotArea();
    fitted_ = false;
    zoom_ = 1.0;
    origin_ = QPointF(0.0, picture_.height() / 2.0 - plot.height() / 2);
    ClampOrigin();
    ViewChanged();
}

void CarpetView::ZoomBy(double factor)
{
    ZoomAbout(factor, PlotArea().center());
}

void CarpetView::ZoomAbout(double factor, QPointF widgetPoint)
{
    if (picture_.isNull()) {
        return;
    }
    const QRectF plot = PlotArea();
    const double before = Zoom();
    const QPointF anchor = Origin() + (widgetPoint - plot.topLeft()) / before;
    const double fit = std::min(plot.width() / picture_.width(), plot.height() / picture_.height());
    const double after = std::clamp(before * factor, std::min(fit, 1.0) / 4, kLargestZoom);
    fitted_ = false;
    zoom_ = after;
    origin_ = anchor - (widgetPoint - plot.topLeft()) / after;
    ClampOrigin();
    ViewChanged();
}

void CarpetView::ClampOrigin()
{
    const QRectF plot = PlotArea();
    const auto clamp = [](double origin, double pictureSize, double visible) {
        return visible >= pictureSize ? (pictureSize - visible) / 2 : std::clamp(origin, 0.0, pictureSize - visible);
    };
    origin_.setX(clamp(origin_.x(), picture_.width(), plot.width() / zoom_));
    origin_.setY(clamp(origin_.y(), picture_.height(), plot.height() / zoom_));
}

int CarpetView::ShownRow(int row) const
{
    return picture_.height() - 1 - row;
}

QPoint CarpetView::WidgetPointOf(QPoint picturePixel) const
{
    const QPointF inPicture(picturePixel.x() + 0.5, ShownRow(picturePixel.y()) + 0.5);
    const QPointF at = PlotArea().topLeft() + (inPicture - Origin()) * Zoom();
    // The point at the centre, unless that lies in the pixel before (a pixel
    // of fewer than two widget points): then its first point, so that both
    // the mouse there and the widget pixel painted there fall in it.
    const double zoom = Zoom();
    const auto point = [zoom](double centre) {
        const double first = std::ceil(centre - zoom / 2);
        return static_cast<int>(zoom >= 1.0 ? std::max(std::floor(centre), first) : std::floor(centre));
    };
    return QPoint(point(at.x()), point(at.y()));
}

std::optional<QPoint> CarpetView::PicturePixelAt(QPointF widgetPoint) const
{
    const QRectF plot = PlotArea();
    if (picture_.isNull() || !plot.contains(widgetPoint)) {
        return std::nullopt;
    }
    const QPointF inPicture = Origin() + (widgetPoint - plot.topLeft()) / Zoom();
    const QPoint shown(static_cast<int>(std::floor(inPicture.x())), static_cast<int>(std::floor(inPicture.y())));
    if (!picture_.rect().contains(shown)) {
        return std::nullopt;
    }
    return QPoint(shown.x(), ShownRow(shown.y()));
}

void CarpetView::paintEvent(QPaintEvent*)
{
    if (picture_.isNull()) {
        return;
    }
    QPainter painter(this);
    const QRectF plot = PlotArea();
    const double zoom = Zoom();
    painter.save();
    painter.setClipRect(plot);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smoothing_);
    painter.translate(plot.topLeft());
    painter.scale(zoom, zoom);
    painter.translate(-Origin());
    painter.translate(0, picture_.height());
    painter.scale(1, -1);
    painter.drawImage(QPointF(0, 0), picture_);
    painter.restore();
    DrawAxes(painter, plot);
}

// Ticks at round values of x (left, growing upwards) and z (below) over the
// visible part, each axis with its title beside its tick labels.
void CarpetView::DrawAxes(QPainter& painter, const QRectF& plot) const
{
    const double zoom = Zoom();
    const QPointF origin = Origin();
    const QRectF drawn(plot.topLeft() - origin * zoom, QSizeF(picture_.size()) * zoom);
    const QRectF frame = drawn.intersected(plot);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(frame.adjusted(-1, -1, 0, 0));  // around the picture's edge pixels, not over them
    const QFontMetrics metrics = painter.fontMetrics();

    // The widest label drawn, for the title beside them.
    const auto drawTicks = [&](bool across) {
        const double perPixel = across ? axes_.xPerRow : axes_.zPerColumn;
        const double start = across ? axes_.xAtRow0 : axes_.zAtColumn0;
        const double low = across ? frame.top() : frame.left();
        const double high = across ? frame.bottom() : frame.right();
        // Picture coordinates from shown ones and back: the rows are shown bottom up.
        const auto flip = [&](double shown) { return across ? picture_.height() - shown : shown; };
        const auto valueAt = [&](double screen) {
            const double shown = across ? origin.y() + (screen - plot.top()) / zoom : origin.x() + (screen - plot.left()) / zoom;
            return start + flip(shown) * perPixel;
        };
        const auto screenOf = [&](double value) {
            const double shown = flip((value - start) / perPixel);
            return across ? plot.top() + (shown - origin.y()) * zoom : plot.left() + (shown - origin.x()) * zoom;
        };
        const double first = std::min(valueAt(low), valueAt(high));
        const double last = std::max(valueAt(low), valueAt(high));
        const int room = std::max(2, static_cast<int>((high - low) / (across ? 40 : 80)));
        int widest = 0;
        if (!(last > first) || perPixel == 0) {
            return widest;
        }
        const double step = RoundStep((last - first) / room);
        for (const double value : RoundTicks(first, last, step)) {
            const double at = screenOf(value);
            const QString text = TickText(value, step);
            widest = std::max(widest, metrics.horizontalAdvance(text));
            if (across) {
                painter.drawLine(QPointF(frame.left() - 4, at), QPointF(frame.left(), at));
                painter.drawText(QRectF(0, at - 10, frame.left() - 6, 20), Qt::AlignRight | Qt::AlignVCenter, text);
            } else {
                painter.drawLine(QPointF(at, frame.bottom()), QPointF(at, frame.bottom() + 4));
                painter.drawText(QRectF(at - 50, frame.bottom() + 5, 100, metrics.height()), Qt::AlignHCenter, text);
            }
        }
        return widest;
    };
    const int widestX = drawTicks(true);
    drawTicks(false);
    painter.drawText(QRectF(frame.left(), frame.bottom() + 5 + metrics.height(), frame.width(), metrics.height()),
                     Qt::AlignHCenter, axes_.zTitle);
    painter.save();
    const double titleMiddle = std::max(metrics.height() / 2.0 + 2, frame.left() - 8 - widestX - metrics.height() / 2.0);
    painter.translate(titleMiddle, frame.center().y());
    painter.rotate(-90);
    painter.drawText(QRectF(-plot.height() / 2, -metrics.height() / 2.0, plot.height(), metrics.height()),
                     Qt::AlignHCenter, axes_.xTitle);
    painter.restore();
}

// The readout follows what lies under the mouse now, not what lay there
// before the picture moved under it.
void CarpetView::ViewChanged()
{
    update();
    if (mouseAt_) {
        emit hovered(PicturePixelAt(*mouseAt_).value_or(QPoint(-1, -1)));
    }
}

void CarpetView::leaveEvent(QEvent* event)
{
    mouseAt_.reset();
    QWidget::leaveEvent(event);
}

void CarpetView::mouseMoveEvent(QMouseEvent* event)
{
    mouseAt_ = event->position();
    if (panFrom_) {
        const QPointF moved = event->position() - *panFrom_;
        panFrom_ = event->position();
        origin_ = Origin() - moved / Zoom();
        zoom_ = Zoom();
        fitted_ = false;
        ClampOrigin();
        update();
        return;
    }
    emit hovered(PicturePixelAt(event->position()).value_or(QPoint(-1, -1)));
}

void CarpetView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::MiddleButton) {
        panFrom_ = event->position();
        setCursor(Qt::ClosedHandCursor);
        return;
    }
    if (event->button() == Qt::LeftButton) {
        if (const std::optional<QPoint> pixel = PicturePixelAt(event->position())) {
            if (event->modifiers() & Qt::ShiftModifier) {
                emit columnPicked(pixel->x());
            } else {
                emit clicked(*pixel);
            }
        }
    }
}

void CarpetView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::MiddleButton && panFrom_) {
        panFrom_.reset();
        setCursor(Qt::CrossCursor);
    }
}

void CarpetView::wheelEvent(QWheelEvent* event)
{
    mouseAt_ = event->position();
    const QPoint steps = event->angleDelta() / 120;
    if (event->modifiers() & Qt::ControlModifier) {
        ZoomAbout(std::pow(kZoomStep, steps.y()), event->position());
    } else if (!picture_.isNull()) {
        const QPointF scrolled = event->modifiers() & Qt::ShiftModifier ? QPointF(steps.y(), steps.x()) : QPointF(steps);
        origin_ = Origin() - scrolled * (60.0 / Zoom());
        zoom_ = Zoom();
        fitted_ = false;
        ClampOrigin();
        ViewChanged();
    }
    event->accept();
}

void CarpetView::keyPressEvent(QKeyEvent* event)
{
    // Only bare keys are the carpet's: with Ctrl, Alt or Meta (Ctrl+1 and
    // Ctrl+2 choose the page) they go on to the window.
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        ZoomBy(kZoomStep);
        break;
    case Qt::Key_Minus:
        ZoomBy(1 / kZoomStep);
        break;
    case Qt::Key_1:
        ShowActualSize();
        break;
    case Qt::Key_0:
        FitToWindow();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

}  // namespace nivaro
