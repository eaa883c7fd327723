#pragma once

#include <string>
#include <vector>

#include "platform/DrawingDevice.h"

namespace nivaro {

// Logs every primitive with its integer vertices and the pen, brush and
// font in force, so that tests can assert exactly what the chart drew.
class RecordingDevice final : public DrawingDevice {
public:
    enum class Kind { Polygon, Polyline, Pixel, Text, ClipRect, ClipPolygon, Unclip };

    struct Primitive {
        Kind kind;
        std::vector<DevicePoint> points;
        DevicePen pen;
        DeviceBrush brush;
        Rgb color = 0;  // of a pixel
        std::string text;
    };

    RecordingDevice(int width, int height) : width_(width), height_(height) {}

    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void SetPen(const DevicePen& pen) override { pen_ = pen; }
    void SetBrush(const DeviceBrush& brush) override { brush_ = brush; }
    void SetFont(const DeviceFont& font) override { font_ = font; }
    void Polygon(const DevicePoint* points, int count) override { Record(Kind::Polygon, points, count); }
    void Polyline(const DevicePoint* points, int count) override { Record(Kind::Polyline, points, count); }
    void SetPixel(int x, int y, Rgb color) override
    {
        const DevicePoint point{x, y};
        Record(Kind::Pixel, &point, 1).color = color;
    }
    void Text(int x, int y, const std::string& text) override
    {
        const DevicePoint point{x, y};
        Record(Kind::Text, &point, 1).text = text;
    }
    int TextWidth(const std::string& text) override { return 6 * static_cast<int>(text.size()); }
    int TextHeight(const std::string&) override { return font_.pixelHeight; }
    void ClipRect(const DeviceRect& rect) override
    {
        const DevicePoint corners[2] = {{rect.left, rect.top}, {rect.right, rect.bottom}};
        Record(Kind::ClipRect, corners, 2);
    }
    void ClipPolygon(const DevicePoint* points, int count) override { Record(Kind::ClipPolygon, points, count); }
    void Unclip() override { Record(Kind::Unclip, nullptr, 0); }

    std::vector<Primitive> primitives;

    std::vector<const Primitive*> Of(Kind kind) const
    {
        std::vector<const Primitive*> found;
        for (const Primitive& p : primitives) {
            if (p.kind == kind) {
                found.push_back(&p);
            }
        }
        return found;
    }

private:
    Primitive& Record(Kind kind, const DevicePoint* points, int count)
    {
        primitives.push_back({kind, std::vector<DevicePoint>(points, points + count), pen_, brush_, 0, {}});
        return primitives.back();
    }

    int width_;
    int height_;
    DevicePen pen_;
    DeviceBrush brush_;
    DeviceFont font_;
};

}  // namespace nivaro
