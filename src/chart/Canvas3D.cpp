#include "Canvas3D.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "ChartRounding.h"

namespace nivaro {
namespace {

long double Cross(const DevicePoint& o, const DevicePoint& a, const DevicePoint& b)
{
    return static_cast<long double>(a.x - o.x) * (b.y - o.y) - static_cast<long double>(a.y - o.y) * (b.x - o.x);
}

// Andrew's monotone chain.
std::vector<DevicePoint> ConvexHull(std::vector<DevicePoint> points)
{
    std::sort(points.begin(), points.end(), [](const DevicePoint& a, const DevicePoint& b) {
        return a.x < b.x || (a.x == b.x && a.y < b.y);
    });
    std::vector<DevicePoint> hull(2 * points.size());
    std::size_t k = 0;
    for (const DevicePoint& p : points) {
        while (k >= 2 && Cross(hull[k - 2], hull[k - 1], p) <= 0) {
            --k;
        }
        hull[k++] = p;
    }
    for (std::size_t i = points.size() - 1, lower = k + 1; i-- > 0;) {
        while (k >= lower && Cross(hull[k - 2], hull[k - 1], points[i]) <= 0) {
            --k;
        }
        hull[k++] = points[i];
    }
    hull.resize(k > 1 ? k - 1 : k);
    return hull;
}

}  // namespace

DeviceRect Canvas3D::InitWindow(DrawingDevice& device, const ViewOptions3D& options, bool is3D)
{
    device_ = &device;
    is3D_ = is3D;
    zoom_ = 1.0;
    zoomPercent_ = options.Zoom();
    fontZoomPercent_ = options.FontZoom();
    perspective_ = options.Perspective();
    horizOffset_ = options.HorizOffset();
    vertOffset_ = options.VertOffset();
    if (is3D_) {
        CalcTrigValues(options);
    }
    return {0, 0, device.Width(), device.Height()};
}

void Canvas3D::CalcTrigValues(const ViewOptions3D& options)
{
    const long double e = -options.ElevationValue() * static_cast<long double>(kChartPiStep);
    const long double r = -options.RotationValue() * static_cast<long double>(kChartPiStep);
    const long double t = options.Tilt() * static_cast<long double>(kChartPiStep);
    sinE_ = static_cast<double>(std::sin(e));
    cosE_ = static_cast<double>(std::cos(e));
    sinR_ = static_cast<double>(std::sin(r));
    cosR_ = static_cast<double>(std::cos(r));
    sinT_ = static_cast<double>(std::sin(t));
    cosT_ = static_cast<double>(std::cos(t));
    hasPerspective_ = false;
    perspectiveScale_ = 0.0;
    hasTilt_ = options.Tilt() != 0;
    k1_ = cosR_ * sinT_;
    k2_ = std::max(1e-5, cosR_ * cosT_);
    k3_ = std::max(1e-5, sinE_ * sinR_ * sinT_ + cosE_ * cosT_);
    k4_ = cosT_ * sinE_ * sinR_ - cosE_ * sinT_;
    k5_ = cosE_ * sinR_ * sinT_ - cosT_ * sinE_;
    k6_ = cosE_ * cosT_ * sinR_ + sinE_ * sinT_;
}

void Canvas3D::Projection(int maxDepth, const DeviceRect& chartRect)
{
    centreX_ = (chartRect.left + chartRect.right) / 2;
    centreY_ = (chartRect.top + chartRect.bottom) / 2;
    centreZ_ = Round(maxDepth * 0.5);
    originX_ = centreX_ + horizOffset_;
    originY_ = centreY_ + vertOffset_;
    if (is3D_) {
        zoom_ = zoomPercent_ * 0.01;
        hasPerspective_ = perspective_ > 0;
        if (hasPerspective_) {
            perspectiveScale_ = perspective_ * zoom_ * (1.0 / 150) / std::max(1, chartRect.right - chartRect.left);
        }
    }
}

void Canvas3D::Rotate(const ViewOptions3D& options, const DeviceRect& chartRect)
{
    CalcTrigValues(options);
    hasPerspective_ = perspective_ > 0;
    if (hasPerspective_) {
        perspectiveScale_ = perspective_ * zoom_ * (1.0 / 150) / std::max(1, chartRect.right - chartRect.left);
    }
}

DevicePoint Canvas3D::Calc3DPos(int x, int y, int z) const
{
    if (!is3D_) {
        return {x, y};
    }
    return Calc3DPoint(x, y, z);
}

DevicePoint Canvas3D::Calc3DPoint(double x, double y, int z) const
{
    if (!is3D_) {
        return {Round(x), Round(y)};
    }
    const double dx = x - centreX_;
    const double dy = y - centreY_;
    const double dz = z - centreZ_;
    const double t = dz * cosR_ - dx * sinR_;
    const double f = hasPerspective_ ? zoom_ / ((cosE_ * t + dy * sinE_) * perspectiveScale_ + 1) : zoom_;
    const double a = dx * cosR_ + dz * sinR_;
    const double b = dy * cosE_ - sinE_ * t;
    if (hasTilt_) {
        return {Round((cosT_ * a - sinT_ * b) * f) + originX_, Round((cosT_ * b + sinT_ * a) * f) + originY_};
    }
    return {Round(a * f) + originX_, Round(b * f) + originY_};
}

DevicePoint Canvas3D::Calculate2DPosition(int x, int y, int z) const
{
    if (zoom_ == 0.0 || !is3D_) {
        return {x, y};
    }
    const double inverse = 1.0 / zoom_;
    const double dz = z - centreZ_;
    return {Round((inverse * (x - originX_) - dz * k5_ - (y - centreY_) * k1_) / k3_) + centreX_,
            Round((inverse * (y - originY_) - dz * k6_ - (x - centreX_) * k4_) / k2_) + centreY_};
}

void Canvas3D::MoveTo3D(int x, int y, int z)
{
    penPosition_ = Calc3DPos(x, y, z);
}

void Canvas3D::LineTo3D(int x, int y, int z)
{
    const DevicePoint line[2] = {penPosition_, Calc3DPos(x, y, z)};
    Device().Polyline(line, 2);
    penPosition_ = line[1];
}

void Canvas3D::HorizLine3D(int left, int right, int y, int z)
{
    MoveTo3D(left, y, z);
    LineTo3D(right, y, z);
}

void Canvas3D::VertLine3D(int x, int top, int bottom, int z)
{
    MoveTo3D(x, top, z);
    LineTo3D(x, bottom, z);
}

void Canvas3D::ZLine3D(int x, int y, int z0, int z1)
{
    MoveTo3D(x, y, z0);
    LineTo3D(x, y, z1);
}

void Canvas3D::PlaneFour3D(const DevicePoint& p1, const DevicePoint& p2, const DevicePoint& p3,
                                 const DevicePoint& p4, int z0, int z1)
{
    const DevicePoint corners[4] = {Calc3DPoint(p1.x, p1.y, z0), Calc3DPoint(p2.x, p2.y, z0),
                                    Calc3DPoint(p3.x, p3.y, z1), Calc3DPoint(p4.x, p4.y, z1)};
    Device().Polygon(corners, 4);
}

void Canvas3D::SetPixel3D(int x, int y, int z, Rgb color)
{
    const DevicePoint p = Calc3DPos(x, y, z);
    Device().SetPixel(p.x, p.y, color);
}

void Canvas3D::TextOut3D(int x, int y, int z, const std::string& text)
{
    const DevicePoint p = Calc3DPos(x, y, z);
    TextOut(p.x, p.y, text);
}

void Canvas3D::ClipCube(const DeviceRect& rect, int z0, int z1)
{
    if (!is3D_) {
        Device().ClipRect({rect.left + 1, rect.top + 1, rect.right, rect.bottom - 1});
        return;
    }
    std::vector<DevicePoint> corners;
    for (const int x : {rect.left, rect.right}) {
        for (const int y : {rect.top, rect.bottom}) {
            for (const int z : {z0, z1}) {
                corners.push_back(Calc3DPos(x, y, z));
            }
        }
    }
    const std::vector<DevicePoint> hull = ConvexHull(std::move(corners));
    Device().ClipPolygon(hull.data(), static_cast<int>(hull.size()));
}

void Canvas3D::UnClipRectangle()
{
    Device().Unclip();
}

void Canvas3D::FrontPlaneBegin()
{
    if (rotationDisabled_++ == 0) {
        saved3D_ = is3D_;
        is3D_ = false;
    }
}

void Canvas3D::FrontPlaneEnd()
{
    if (rotationDisabled_ > 0 && --rotationDisabled_ == 0) {
        is3D_ = saved3D_;
    }
}

void Canvas3D::SetPen(const DevicePen& pen)
{
    pen_ = pen;
    Device().SetPen(pen);
}

void Canvas3D::SetBrush(const DeviceBrush& brush)
{
    brush_ = brush;
    Device().SetBrush(brush);
}

void Canvas3D::SetFont(const DeviceFont& font)
{
    font_ = font;
    DeviceFont zoomed = font;
    if (fontZoomPercent_ != 100) {
        zoomed.pixelHeight = std::max(1, Round(font.pixelHeight * fontZoomPercent_ / 100.0));
    }
    Device().SetFont(zoomed);
}

void Canvas3D::ResetState()
{
    SetPen({});
    SetBrush({});
    SetFont({kSansFontFamily, 11, false, 0});
    textAlign_ = TextAlignment::Left;
}

void Canvas3D::Polygon(const DevicePoint* points, int count)
{
    Device().Polygon(points, count);
}

void Canvas3D::Polyline(const DevicePoint* points, int count)
{
    Device().Polyline(points, count);
}

void Canvas3D::TextOut(int x, int y, const std::string& text)
{
    switch (textAlign_) {
    case TextAlignment::Left:
        break;
    case TextAlignment::Center:
        x -= TextWidth(text) / 2;
        break;
    case TextAlignment::Right:
        x -= TextWidth(text);
        break;
    }
    Device().Text(x, y, text);
}

int Canvas3D::TextWidth(const std::string& text)
{
    return Device().TextWidth(text);
}

int Canvas3D::TextHeight(const std::string& text)
{
    return Device().TextHeight(text);
}

void Canvas3D::Rectangle(const DeviceRect& rect)
{
    const DevicePoint corners[4] = {{rect.left, rect.top}, {rect.right, rect.top}, {rect.right, rect.bottom},
                                    {rect.left, rect.bottom}};
    Device().Polygon(corners, 4);
}

}  // namespace nivaro
