#include "QPainterDevice.h"

#include <QPolygon>
#include <vector>

namespace nivaro {
namespace {

QPolygon ToPolygon(const DevicePoint* points, int count)
{
    QPolygon polygon(count);
    for (int i = 0; i < count; ++i) {
        polygon.setPoint(i, points[i].x, points[i].y);
    }
    return polygon;
}

}  // namespace

QColor ToQColor(Rgb color)
{
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

QPainterDevice::QPainterDevice(QImage& image) : QPainterDevice(image, image.size())
{
    image_ = &image;
}

QPainterDevice::QPainterDevice(QPaintDevice& target, QSize size) : image_(nullptr), size_(size), painter_(&target)
{
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
}

void QPainterDevice::SetAntialiasing(bool on)
{
    painter_.setRenderHint(QPainter::Antialiasing, on);
}

void QPainterDevice::SetPen(const DevicePen& pen)
{
    painter_.setCompositionMode(pen.xorMode ? QPainter::RasterOp_SourceXorDestination
                                            : QPainter::CompositionMode_SourceOver);
    if (pen.style == PenStyle::Clear) {
        painter_.setPen(Qt::NoPen);
        return;
    }
    QPen qtPen(ToQColor(pen.color));
    qtPen.setWidth(pen.width);
    qtPen.setStyle(pen.style == PenStyle::Dot ? Qt::DotLine : Qt::SolidLine);
    painter_.setPen(qtPen);
}

void QPainterDevice::SetBrush(const DeviceBrush& brush)
{
    painter_.setBrush(brush.style == BrushStyle::Clear ? QBrush(Qt::NoBrush) : QBrush(ToQColor(brush.color)));
}

void QPainterDevice::SetFont(const DeviceFont& font)
{
    QFont qtFont(QString::fromStdString(font.family));
    qtFont.setPixelSize(std::max(1, font.pixelHeight));
    qtFont.setBold(font.bold);
    painter_.setFont(qtFont);
    textColor_ = ToQColor(font.color);
}

void QPainterDevice::Polygon(const DevicePoint* points, int count)
{
    painter_.drawPolygon(ToPolygon(points, count));
}

void QPainterDevice::Polyline(const DevicePoint* points, int count)
{
    painter_.drawPolyline(ToPolygon(points, count));
}

void QPainterDevice::SetPixel(int x, int y, Rgb color)
{
    if (image_ != nullptr && x >= 0 && y >= 0 && x < image_->width() && y < image_->height() &&
        !painter_.hasClipping()) {
        image_->setPixelColor(x, y, ToQColor(color));
        return;
    }
    const QPen saved = painter_.pen();
    painter_.setPen(QPen(ToQColor(color), 1));
    painter_.drawPoint(x, y);
    painter_.setPen(saved);
}

void QPainterDevice::Text(int x, int y, const std::string& text)
{
    const QPen saved = painter_.pen();
    painter_.setPen(textColor_);
    painter_.drawText(x, y + painter_.fontMetrics().ascent(), QString::fromStdString(text));
    painter_.setPen(saved);
}

int QPainterDevice::TextWidth(const std::string& text)
{
    return painter_.fontMetrics().horizontalAdvance(QString::fromStdString(text));
}

int QPainterDevice::TextHeight(const std::string&)
{
    return painter_.fontMetrics().height();
}

void QPainterDevice::ClipRect(const DeviceRect& rect)
{
    painter_.setClipRect(QRect(rect.left, rect.top, rect.Width(), rect.Height()));
}

void QPainterDevice::ClipPolygon(const DevicePoint* points, int count)
{
    painter_.setClipRegion(QRegion(ToPolygon(points, count)));
}

void QPainterDevice::Unclip()
{
    painter_.setClipping(false);
}

}  // namespace nivaro
