#pragma once

#include <functional>
#include <string>
#include <vector>

#include "chart/ChartAxis.h"
#include "chart/Canvas3D.h"
#include "chart/ChartSeries.h"
#include "chart/ChartTools.h"
#include "chart/ViewOptions3D.h"

namespace nivaro {

// The chart: the list of its series (owned elsewhere), the view, the axes,
// the legend, and the full paint onto a drawing device. A repaint request
// only tells the host to invalidate its window, and is ignored while
// AutoRepaint is off (as it is during a paint).
class Chart {
public:
    // The classic palette, red in the low byte: blue, lime, aqua, red,
    // fuchsia, yellow, navy, green, teal, maroon, purple, olive.
    static const std::vector<Rgb>& ClassicPalette();

    Chart();

    // A series with the automatic colour gets the first palette colour that
    // no other series uses and that differs from the chart's colour.
    void AddSeries(ChartSeries& series);
    void RemoveSeries(ChartSeries& series);
    int SeriesCount() const { return static_cast<int>(series_.size()); }
    ChartSeries& GetSeries(int index) const { return *series_[static_cast<std::size_t>(index)]; }

    bool AutoRepaint = true;
    void Invalidate() const;
    // The host's way of invalidating its window.
    void SetInvalidateHandler(std::function<void()> handler) { invalidate_ = std::move(handler); }

    const std::vector<std::string>& LegendTitle() const { return legendTitle_; }
    void SetLegendTitle(std::vector<std::string> lines);
    bool LegendVisible() const { return legendVisible_; }
    void SetLegendVisible(bool visible);

    ViewOptions3D& View3DOptions() { return view_; }
    const ViewOptions3D& View3DOptions() const { return view_; }
    ChartAxis BottomAxis{AxisKind::Bottom};
    ChartAxis LeftAxis{AxisKind::Left};
    ChartAxis DepthAxis{AxisKind::Depth};
    Rgb Color = RgbColor(255, 255, 255);
    DevicePen BorderPen{RgbColor(0, 0, 255), 1, PenStyle::Solid};
    bool BorderVisible = true;
    int MarginLeft = 3;
    int MarginTop = 4;
    int MarginRight = 3;
    int MarginBottom = 4;
    int DepthPercent() const { return chart3DPercent_; }
    // Throws std::invalid_argument outside 1 .. 100; the value stays.
    void SetDepthPercent(int percent);
    DeviceFont LegendTitleFont{kSansFontFamily, 11, false, 0};

    // The full paint, in the chart's fixed order.
    void Draw(DrawingDevice& device);
    // The layout of a paint without filling anything: everything else as
    // Draw places it, and in place of each series its projected points as
    // one polyline. A cell or a line reaches no further than its corners, so
    // this measures a paint's reach at a fraction of its cost.
    void DrawOutline(DrawingDevice& device);

    // Tools see the mouse in list order; one that sets CancelMouse keeps the
    // event from the tools after it.
    void AddTool(ChartTool& tool) { tools_.push_back(&tool); }
    void RemoveTool(ChartTool& tool);
    bool CancelMouse = false;
    void MouseDown(MouseButton button, int x, int y);
    void MouseMove(int x, int y);
    void MouseUp(MouseButton button, int x, int y);
    // The size of the last paint, which is the control's.
    int Width() const { return width_; }
    int Height() const { return height_; }

    // Drawing straight onto the shown image between paints (the rotate
    // tool's XOR outline); the host supplies the device.
    using OverlayPainter = std::function<void(Canvas3D&)>;
    void SetOverlayHandler(std::function<void(const std::function<void(DrawingDevice&)>&)> handler)
    {
        overlay_ = std::move(handler);
    }
    void DrawOverlay(const OverlayPainter& paint);
    // New angles for the canvas without a full paint.
    void PrepareRotatedCanvas();

    // Geometry of the last paint.
    const DeviceRect& ChartRect() const { return chartRect_; }
    // The legend's text box; empty when no legend was drawn.
    const DeviceRect& LegendRect() const { return legendRect_; }
    int ChartDepth() const { return chartDepth_; }
    bool InvertedRotation() const { return invertedRotation_; }
    Canvas3D& Canvas() { return canvas_; }
    SeriesPaintContext PaintContext();

private:
    std::vector<ChartSeries*> ActiveSeries() const;
    Rgb FreeSeriesColor(const ChartSeries& series) const;
    void CalcChartRect(const DeviceRect& panel);
    void PaintPanel(const DeviceRect& panel);
    void DrawLegend(const DeviceRect& panel);
    void CalcDepth(const std::vector<ChartSeries*>& active);
    void CalcAxes(const std::vector<ChartSeries*>& active);
    void Paint(DrawingDevice& device, bool outline);
    void DrawSeriesPoints(const std::vector<ChartSeries*>& active);
    void NotifyTools(ToolEvent event);
    void PassMouse(MouseEventKind kind, MouseButton button, int x, int y);

    std::vector<ChartSeries*> series_;
    std::vector<ChartTool*> tools_;
    std::function<void()> invalidate_;
    std::function<void(const std::function<void(DrawingDevice&)>&)> overlay_;
    int width_ = 0;
    int height_ = 0;
    std::vector<std::string> legendTitle_{"Waiting...", "Waiting...", "Waiting..."};
    bool legendVisible_ = true;
    ViewOptions3D view_;
    Canvas3D canvas_;
    DeviceRect chartRect_{0, 0, 0, 0};
    DeviceRect legendRect_{0, 0, 0, 0};
    int chartDepth_ = 0;
    bool invertedRotation_ = false;
    int chart3DPercent_ = 100;
};

}  // namespace nivaro
