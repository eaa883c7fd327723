#pragma once

#include <string>

#include "chart/ViewOptions3D.h"
#include "platform/DrawingDevice.h"

namespace nivaro {

// An integer chart-space point: x and y in pixels of the unrotated chart, z
// the depth in pixels from the front.
struct Point3D {
    int x;
    int y;
    int z;
};

enum class TextAlignment { Left, Center, Right };

// The chart's one drawing surface: holds the current pen, brush and font and
// projects chart-space points to device pixels by the view's rotation,
// elevation and tilt about the centre of the chart rectangle, with an
// optional perspective divide, the zoom and the offsets. All drawing of the
// chart goes through it.
class Canvas3D {
public:
    static constexpr double kChartPiStep = 0.017453292519943295;

    // Starts a paint on device: returns the rectangle to draw in, (0, 0,
    // width, height) of the device.
    DeviceRect InitWindow(DrawingDevice& device, const ViewOptions3D& options, bool is3D);
    // Fixes the centre and scale for this paint.
    void Projection(int maxDepth, const DeviceRect& chartRect);

    // Draws on another device with the projection of the last paint.
    void Attach(DrawingDevice& device) { device_ = &device; }
    // New angles and perspective for the chart rectangle, without InitWindow.
    void Rotate(const ViewOptions3D& options, const DeviceRect& chartRect);

    DevicePoint Calc3DPos(int x, int y, int z) const;
    // The floating form for fractional chart positions.
    DevicePoint Calc3DPoint(double x, double y, int z) const;
    // Approximate inverse at a known depth, ignoring the perspective.
    DevicePoint Calculate2DPosition(int x, int y, int z) const;

    void MoveTo3D(int x, int y, int z);
    void LineTo3D(int x, int y, int z);
    void HorizLine3D(int left, int right, int y, int z);
    void VertLine3D(int x, int top, int bottom, int z);
    void ZLine3D(int x, int y, int z0, int z1);
    // Points 1 and 2 at depth z0, points 3 and 4 at z1, projected in floating form.
    void PlaneFour3D(const DevicePoint& p1, const DevicePoint& p2, const DevicePoint& p3, const DevicePoint& p4,
                     int z0, int z1);
    void SetPixel3D(int x, int y, int z, Rgb color);
    void TextOut3D(int x, int y, int z, const std::string& text);
    void ClipCube(const DeviceRect& rect, int z0, int z1);
    void UnClipRectangle();

    // Drawing between these ignores the projection (titles, legend).
    void FrontPlaneBegin();
    void FrontPlaneEnd();

    void SetPen(const DevicePen& pen);
    void SetBrush(const DeviceBrush& brush);
    void SetFont(const DeviceFont& font);
    const DevicePen& Pen() const { return pen_; }
    const DeviceBrush& Brush() const { return brush_; }
    const DeviceFont& Font() const { return font_; }
    void SetTextAlign(TextAlignment alignment) { textAlign_ = alignment; }
    // Pen black width 1 solid, brush white solid, font sans-serif black, alignment left.
    void ResetState();

    // Plain device output, unprojected.
    void Polygon(const DevicePoint* points, int count);
    void Polyline(const DevicePoint* points, int count);
    void TextOut(int x, int y, const std::string& text);
    int TextWidth(const std::string& text);
    int TextHeight(const std::string& text);
    void Rectangle(const DeviceRect& rect);

    bool Is3D() const { return is3D_; }
    double ZoomScale() const { return zoom_; }
    DevicePoint Centre() const { return {centreX_, centreY_}; }
    int CentreZ() const { return centreZ_; }

private:
    void CalcTrigValues(const ViewOptions3D& options);
    DrawingDevice& Device() const { return *device_; }

    DrawingDevice* device_ = nullptr;
    bool is3D_ = false;
    bool saved3D_ = false;
    int rotationDisabled_ = 0;
    double sinE_ = 0, cosE_ = 1, sinR_ = 0, cosR_ = 1, sinT_ = 0, cosT_ = 1;
    double k1_ = 0, k2_ = 1, k3_ = 1, k4_ = 0, k5_ = 0, k6_ = 0;
    bool hasTilt_ = false;
    bool hasPerspective_ = false;
    int perspective_ = 0;
    double perspectiveScale_ = 0.0;
    double zoom_ = 1.0;
    int zoomPercent_ = 100;
    int fontZoomPercent_ = 100;  // text size, for drawing at a display's device resolution
    int horizOffset_ = 0;
    int vertOffset_ = 0;
    int centreX_ = 0;
    int centreY_ = 0;
    int centreZ_ = 0;
    int originX_ = 0;
    int originY_ = 0;
    DevicePoint penPosition_{0, 0};
    DevicePen pen_;
    DeviceBrush brush_;
    DeviceFont font_;
    TextAlignment textAlign_ = TextAlignment::Left;
};

}  // namespace nivaro
