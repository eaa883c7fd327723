#include "ChartFit.h"

#include <algorithm>
#include <climits>

#include "chart/ChartTools.h"

namespace nivaro {
namespace {

constexpr int kFitInset = 6;

// A device that draws nothing: it measures text with the target's fonts and,
// while recording, notes how far the drawing reaches.
class ExtentDevice final : public DrawingDevice {
public:
    explicit ExtentDevice(DrawingDevice& target) : target_(target) {}

    bool recording = false;
    DeviceRect reach{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    // The highest point drawn right of legendLeft.
    int legendLeft = INT_MAX;
    int topRightOfLegendLeft = INT_MAX;

    int Width() const override { return target_.Width(); }
    int Height() const override { return target_.Height(); }
    void SetPen(const DevicePen&) override {}
    void SetBrush(const DeviceBrush&) override {}
    void SetFont(const DeviceFont& font) override { target_.SetFont(font); }
    void Polygon(const DevicePoint* points, int count) override { NotePoints(points, count); }
    void Polyline(const DevicePoint* points, int count) override { NotePoints(points, count); }
    void SetPixel(int x, int y, Rgb) override { Note(x, y); }
    void Text(int x, int y, const std::string& text) override
    {
        Note(x, y);
        Note(x + target_.TextWidth(text), y + target_.TextHeight(text));
    }
    int TextWidth(const std::string& text) override { return target_.TextWidth(text); }
    int TextHeight(const std::string& text) override { return target_.TextHeight(text); }
    void ClipRect(const DeviceRect&) override {}
    void ClipPolygon(const DevicePoint*, int) override {}
    void Unclip() override {}

private:
    void NotePoints(const DevicePoint* points, int count)
    {
        for (int i = 0; i < count; ++i) {
            Note(points[i].x, points[i].y);
        }
    }
    void Note(int x, int y)
    {
        if (!recording) {
            return;
        }
        reach = {std::min(reach.left, x), std::min(reach.top, y), std::max(reach.right, x), std::max(reach.bottom, y)};
        if (x >= legendLeft) {
            topRightOfLegendLeft = std::min(topRightOfLegendLeft, y);
        }
    }

    DrawingDevice& target_;
};

// Records from the axes on: the panel, frame and legend come before them.
class RecordAfterLegend final : public ChartTool {
public:
    explicit RecordAfterLegend(ExtentDevice& device) : device_(device) {}
    void ChartEvent(Chart& chart, ToolEvent event) override
    {
        if (event == ToolEvent::BeforeDrawAxes) {
            const DeviceRect& legend = chart.LegendRect();
            device_.legendLeft = legend.Width() > 0 ? legend.left : INT_MAX;
            device_.recording = true;
        } else if (event == ToolEvent::AfterDraw) {
            device_.recording = false;
        }
    }

private:
    ExtentDevice& device_;
};

// The whole chart but a narrow band inside its frame: the margins the chart
// keeps for flat axes are free for the 3D box.
DeviceRect FitArea(const Chart& chart)
{
    return {kFitInset, kFitInset, chart.Width() - kFitInset, chart.Height() - kFitInset};
}

DeviceRect Reach(Chart& chart, ExtentDevice& device)
{
    device.reach = {INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    device.topRightOfLegendLeft = INT_MAX;
    chart.DrawOutline(device);
    return device.reach;
}

// At this zoom, with the drawing moved to the middle of the chart rectangle
// (the box is not symmetric about the projection's centre).
bool FitsAt(Chart& chart, ExtentDevice& device, double zoom)
{
    ViewOptions3D& view = chart.View3DOptions();
    view.SetZoom(zoom);
    view.SetHorizOffset(0);
    view.SetVertOffset(0);
    const DeviceRect first = Reach(chart, device);
    const DeviceRect allowed = FitArea(chart);
    view.SetHorizOffset((allowed.left + allowed.right - first.left - first.right) / 2);
    view.SetVertOffset((allowed.top + allowed.bottom - first.top - first.bottom) / 2);
    const DeviceRect reach = Reach(chart, device);
    const bool inside = reach.left >= allowed.left && reach.right <= allowed.right && reach.top >= allowed.top &&
                        reach.bottom <= allowed.bottom;
    return inside && device.topRightOfLegendLeft > chart.LegendRect().bottom;
}

}  // namespace

double FitZoom(Chart& chart, DrawingDevice& device)
{
    ExtentDevice measured(device);
    RecordAfterLegend recorder(measured);
    chart.AddTool(recorder);
    const bool autoRepaint = chart.AutoRepaint;
    chart.AutoRepaint = false;
    double fits = kSmallestFitZoom;
    double fails = kLargestFitZoom;
    if (FitsAt(chart, measured, fails)) {
        fits = fails;
    } else {
        while (fails - fits > 1.0) {
            const double middle = (fits + fails) / 2;
            (FitsAt(chart, measured, middle) ? fits : fails) = middle;
        }
    }
    FitsAt(chart, measured, fits);  // leaves the zoom and the offsets found
    chart.AutoRepaint = autoRepaint;
    chart.RemoveTool(recorder);
    return fits;
}

}  // namespace nivaro
