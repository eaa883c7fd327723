#include "Chart.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "ChartRounding.h"

namespace nivaro {

const std::vector<Rgb>& Chart::ClassicPalette()
{
    static const std::vector<Rgb> palette = {0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF,
                                                0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080};
    return palette;
}

Chart::Chart() : view_([this] { Invalidate(); }) {}

void Chart::AddSeries(ChartSeries& series)
{
    if (std::find(series_.begin(), series_.end(), &series) != series_.end()) {
        return;
    }
    series.SetParentChart(this);
    series_.push_back(&series);
    if (series.SeriesColor() == kAutomaticColour) {
        series.SetSeriesColor(FreeSeriesColor(series));
    }
    Invalidate();
}

Rgb Chart::FreeSeriesColor(const ChartSeries& series) const
{
    Rgb tried = kAutomaticColour;
    for (const Rgb colour : ClassicPalette()) {
        tried = colour;
        const bool used = std::any_of(series_.begin(), series_.end(), [&](const ChartSeries* other) {
            return other != &series && other->SeriesColor() == colour;
        });
        if (!used && colour != Color) {
            return colour;
        }
    }
    return tried;
}

void Chart::RemoveSeries(ChartSeries& series)
{
    const auto found = std::find(series_.begin(), series_.end(), &series);
    if (found != series_.end()) {
        series_.erase(found);
        series.SetParentChart(nullptr);
        Invalidate();
    }
}

void Chart::Invalidate() const
{
    if (AutoRepaint && invalidate_) {
        invalidate_();
    }
}

void Chart::SetDepthPercent(int percent)
{
    if (percent < 1 || percent > 100) {
        throw std::invalid_argument("3D effect percent must be between 1 and 100");
    }
    if (percent != chart3DPercent_) {
        chart3DPercent_ = percent;
        Invalidate();
    }
}

void Chart::SetLegendTitle(std::vector<std::string> lines)
{
    legendTitle_ = std::move(lines);
    Invalidate();
}

void Chart::SetLegendVisible(bool visible)
{
    if (visible != legendVisible_) {
        legendVisible_ = visible;
        Invalidate();
    }
}

std::vector<ChartSeries*> Chart::ActiveSeries() const
{
    std::vector<ChartSeries*> active;
    std::copy_if(series_.begin(), series_.end(), std::back_inserter(active),
                 [](const ChartSeries* s) { return s->Active(); });
    return active;
}

SeriesPaintContext Chart::PaintContext()
{
    return {canvas_, BottomAxis, LeftAxis, DepthAxis, view_.Rotation(), view_.Perspective(), invertedRotation_};
}

void Chart::CalcChartRect(const DeviceRect& panel)
{
    const int width = panel.Width();
    const int height = panel.Height();
    const int frame = BorderVisible ? BorderPen.width : 0;
    chartRect_ = {panel.left + frame + MarginLeft * width / 100, panel.top + frame + MarginTop * height / 100,
                  panel.right - frame - MarginRight * width / 100, panel.bottom - frame - MarginBottom * height / 100};
    chartRect_.left = std::max(chartRect_.left, panel.left);
    chartRect_.top = std::max(chartRect_.top, panel.top);
    if (chartRect_.right <= chartRect_.left) {
        chartRect_.right = chartRect_.left + (chartRect_.right < chartRect_.left ? 1 : width);
    }
    if (chartRect_.bottom <= chartRect_.top) {
        chartRect_.bottom = chartRect_.top + (chartRect_.bottom < chartRect_.top ? 1 : height);
    }
}

void Chart::PaintPanel(const DeviceRect& panel)
{
    canvas_.FrontPlaneBegin();
    canvas_.SetPen({0, 1, PenStyle::Clear});
    canvas_.SetBrush({Color, BrushStyle::Solid});
    canvas_.Rectangle(panel);
    if (BorderVisible) {
        canvas_.SetPen(BorderPen);
        canvas_.SetBrush({Color, BrushStyle::Clear});
        canvas_.Rectangle({panel.left, panel.top, panel.right - 1, panel.bottom - 1});
    }
    canvas_.FrontPlaneEnd();
}

// The legend serves as a text box for its title lines at the top right of
// the plotting area; its entries use a one-pixel font and do not show.
void Chart::RemoveTool(ChartTool& tool)
{
    tools_.erase(std::remove(tools_.begin(), tools_.end(), &tool), tools_.end());
}

void Chart::DrawLegend(const DeviceRect& panel)
{
    legendRect_ = {0, 0, 0, 0};
    if (!legendVisible_ || ActiveSeries().empty() || legendTitle_.empty()) {
        return;
    }
    canvas_.FrontPlaneBegin();
    canvas_.SetFont(LegendTitleFont);
    const int letterWidth = canvas_.TextWidth("W");
    const int lineHeight = canvas_.TextHeight("W");
    int widest = 0;
    for (const std::string& line : legendTitle_) {
        widest = std::max(widest, canvas_.TextWidth(line));
    }
    const int right = chartRect_.right - 1;
    const int left = right - (widest + letterWidth);
    const int titleLeft = left + 2;
    const int titleTop = panel.top + 2;
    canvas_.SetTextAlign(TextAlignment::Left);
    for (std::size_t i = 0; i < legendTitle_.size(); ++i) {
        canvas_.TextOut(titleLeft + letterWidth / 2, titleTop + 1 + static_cast<int>(i) * lineHeight, legendTitle_[i]);
    }
    legendRect_ = {left, titleTop, right, titleTop + 1 + static_cast<int>(legendTitle_.size()) * lineHeight};
    canvas_.FrontPlaneEnd();
}

void Chart::CalcDepth(const std::vector<ChartSeries*>& active)
{
    int maxZOrder = -1;
    for (const ChartSeries* series : active) {
        maxZOrder += 1;
        if (const auto* xyzSeries = dynamic_cast<const XyzSeries*>(series)) {
            maxZOrder = xyzSeries->TimesZOrder();
        }
    }
    const double percent = chart3DPercent_ * 0.001;
    const double ratio = view_.CalcOrthoRatio();
    int seriesDepth = Round(chartRect_.Width() * (view_.Orthogonal() ? percent : 2 * percent));
    if (ratio > 1) {
        seriesDepth = Round(seriesDepth / ratio);
    }
    chartDepth_ = std::max(1, maxZOrder + 1) * seriesDepth;
}

void Chart::CalcAxes(const std::vector<ChartSeries*>& active)
{
    for (ChartAxis* axis : {&BottomAxis, &LeftAxis, &DepthAxis}) {
        axis->AdjustMaxMin(active);
        axis->CalcPositions(chartRect_, chartDepth_, 0);
    }
    BottomAxis.ReduceChartRect(canvas_, chartRect_);
    DepthAxis.ReduceChartRect(canvas_, chartRect_);
    int margin = 0;
    for (const ChartSeries* series : active) {
        margin = std::max(margin, series->MarginPixels());
    }
    BottomAxis.CalcPositions(chartRect_, chartDepth_, margin);
    LeftAxis.CalcPositions(chartRect_, chartDepth_, margin);
    DepthAxis.CalcPositions(chartRect_, chartDepth_, 0);
}

void Chart::Draw(DrawingDevice& device)
{
    Paint(device, false);
}

void Chart::DrawOutline(DrawingDevice& device)
{
    Paint(device, true);
}

void Chart::DrawSeriesPoints(const std::vector<ChartSeries*>& active)
{
    canvas_.SetPen({0, 1, PenStyle::Solid});
    std::vector<DevicePoint> points;
    for (const ChartSeries* series : active) {
        const auto* xyz = dynamic_cast<const XyzSeries*>(series);
        if (xyz == nullptr) {
            continue;
        }
        points.clear();
        for (int k = 0; k < xyz->Count(); ++k) {
            points.push_back(canvas_.Calc3DPos(BottomAxis.CalcPosValue(xyz->XValues()[k]),
                                               LeftAxis.CalcPosValue(xyz->YValues()[k]),
                                               DepthAxis.CalcPosValue(xyz->ZValues()[k])));
        }
        canvas_.Polyline(points.data(), static_cast<int>(points.size()));
    }
}

void Chart::Paint(DrawingDevice& device, bool outline)
{
    const DeviceRect panel = canvas_.InitWindow(device, view_, true);
    width_ = panel.Width();
    height_ = panel.Height();
    CalcChartRect(panel);
    const bool autoRepaint = AutoRepaint;
    AutoRepaint = false;
    invertedRotation_ = !view_.Orthogonal() ? view_.Rotation() <= 179 : view_.OrthoAngle() > 90;
    PaintPanel(panel);
    NotifyTools(ToolEvent::BeforeDraw);
    const std::vector<ChartSeries*> active = ActiveSeries();
    // The outline reads only the points; their colours and grid index are
    // the next paint's business, not each of a fit's forty measurements'.
    if (!outline) {
        for (ChartSeries* series : active) {
            series->DoBeforeDrawChart();
        }
    }
    DrawLegend(panel);
    CalcDepth(active);
    CalcAxes(active);
    canvas_.Projection(chartDepth_, chartRect_);
    NotifyTools(ToolEvent::BeforeDrawAxes);
    for (ChartAxis* axis : {&BottomAxis, &DepthAxis}) {
        axis->DrawLine(canvas_, chartRect_, chartDepth_);
    }
    NotifyTools(ToolEvent::BeforeDrawSeries);
    if (outline) {
        DrawSeriesPoints(active);
    } else {
        const SeriesPaintContext context = PaintContext();
        for (ChartSeries* series : active) {
            series->DrawAllValues(context);
        }
    }
    for (ChartAxis* axis : {&BottomAxis, &DepthAxis}) {
        axis->DrawText(canvas_, chartRect_, chartDepth_);
    }
    NotifyTools(ToolEvent::AfterDrawSeries);
    NotifyTools(ToolEvent::AfterDraw);
    canvas_.ResetState();
    AutoRepaint = autoRepaint;
}

void Chart::NotifyTools(ToolEvent event)
{
    for (ChartTool* tool : tools_) {
        if (tool->Active) {
            tool->ChartEvent(*this, event);
        }
    }
}

void Chart::PassMouse(MouseEventKind kind, MouseButton button, int x, int y)
{
    for (ChartTool* tool : tools_) {
        if (CancelMouse) {
            return;
        }
        if (tool->Active) {
            tool->ChartMouseEvent(*this, kind, button, x, y);
        }
    }
}

void Chart::MouseDown(MouseButton button, int x, int y)
{
    CancelMouse = false;
    PassMouse(MouseEventKind::Down, button, x, y);
    CancelMouse = false;
}

void Chart::MouseMove(int x, int y)
{
    CancelMouse = false;
    PassMouse(MouseEventKind::Move, MouseButton::Left, x, y);
}

void Chart::MouseUp(MouseButton button, int x, int y)
{
    CancelMouse = false;
    PassMouse(MouseEventKind::Up, button, x, y);
}

void Chart::DrawOverlay(const OverlayPainter& paint)
{
    if (!overlay_) {
        return;
    }
    overlay_([this, &paint](DrawingDevice& device) {
        canvas_.Attach(device);
        paint(canvas_);
    });
}

void Chart::PrepareRotatedCanvas()
{
    canvas_.Rotate(view_, chartRect_);
}

}  // namespace nivaro
