#pragma once

#include <string>

#include "platform/Rgb.h"

namespace nivaro {

struct DevicePoint {
    int x;
    int y;
    bool operator==(const DevicePoint&) const = default;
};

struct DeviceRect {
    int left;
    int top;
    int right;
    int bottom;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

enum class PenStyle { Solid, Dot, Clear };
enum class BrushStyle { Solid, Clear };

struct DevicePen {
    Rgb color = 0;
    int width = 1;
    PenStyle style = PenStyle::Solid;
    bool xorMode = false;  // drawing the same line twice removes it
};

struct DeviceBrush {
    Rgb color = RgbColor(255, 255, 255);
    BrushStyle style = BrushStyle::Solid;
};

// The one family of every chart and figure text: sans-serif, and on every
// Debian desktop.
inline constexpr const char* kSansFontFamily = "DejaVu Sans";

struct DeviceFont {
    std::string family = kSansFontFamily;
    int pixelHeight = 11;
    bool bold = false;
    Rgb color = 0;
};

// What the chart draws on: a raster surface with a current pen, brush and
// font. Polygons are filled with the brush and outlined with the pen (either
// may be clear); text is placed by its top-left corner.
class DrawingDevice {
public:
    virtual ~DrawingDevice() = default;

    virtual int Width() const = 0;
    virtual int Height() const = 0;

    virtual void SetPen(const DevicePen& pen) = 0;
    virtual void SetBrush(const DeviceBrush& brush) = 0;
    virtual void SetFont(const DeviceFont& font) = 0;

    virtual void Polygon(const DevicePoint* points, int count) = 0;
    virtual void Polyline(const DevicePoint* points, int count) = 0;
    virtual void SetPixel(int x, int y, Rgb color) = 0;
    virtual void Text(int x, int y, const std::string& text) = 0;
    virtual int TextWidth(const std::string& text) = 0;
    virtual int TextHeight(const std::string& text) = 0;

    virtual void ClipRect(const DeviceRect& rect) = 0;
    virtual void ClipPolygon(const DevicePoint* points, int count) = 0;
    virtual void Unclip() = 0;
};

}  // namespace nivaro
