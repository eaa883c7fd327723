#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>

#include "platform/DrawingDevice.h"

namespace nivaro {

// The drawing device on a QImage (or any Qt paint target, such as an SVG
// generator), without antialiasing, so that every primitive lands on whole
// pixels as the chart computed them.
class QPainterDevice final : public DrawingDevice {
public:
    explicit QPainterDevice(QImage& image);
    QPainterDevice(QPaintDevice& target, QSize size);

    // Smooth edges for pictures meant to be looked at rather than measured.
    void SetAntialiasing(bool on);

    int Width() const override { return size_.width(); }
    int Height() const override { return size_.height(); }

    void SetPen(const DevicePen& pen) override;
    void SetBrush(const DeviceBrush& brush) override;
    void SetFont(const DeviceFont& font) override;

    void Polygon(const DevicePoint* points, int count) override;
    void Polyline(const DevicePoint* points, int count) override;
    void SetPixel(int x, int y, Rgb color) override;
    void Text(int x, int y, const std::string& text) override;
    int TextWidth(const std::string& text) override;
    int TextHeight(const std::string& text) override;

    void ClipRect(const DeviceRect& rect) override;
    void ClipPolygon(const DevicePoint* points, int count) override;
    void Unclip() override;

private:
    QImage* image_;  // direct pixel access when the target is an image
    QSize size_;
    QPainter painter_;
    QColor textColor_;
};

QColor ToQColor(Rgb color);

}  // namespace nivaro
