#include "Chart.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "ChartRounding.h"

namespace nivaro {

const std::vector<TColor>& TChart::ClassicPalette()
{
    static const std::vector<TColor> palette = {0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF,
                                                0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080};
    return palette;
}

TChart::TChart() : view_([this] { Invalidate(); }) {}

void TChart::AddSeries(TChartSeries& series)
{
    if (std::find(series_.begin(), series_.end(), &series) != series_.end()) {
        return;
    }
    series.SetParentChart(this);
    series_.push_back(&series);
    if (series.SeriesColor() == clAutomatic) {
        series.SetSeriesColor(FreeSeriesColor(series));
    }
    Invalidate();
}

TColor TChart::FreeSeriesColor(const TChartSeries& series) const
{
    TColor tried = clAutomatic;
    for (const TColor colour : ClassicPalette()) {
        tried = colour;
        const bool used = std::any_of(series_.begin(), series_.end(), [&](const TChartSeries* other) {
            return other != &series && other->SeriesColor() == colour;
        });
        if (!used && colour != Color) {
            return colour;
        }
    }
    return tried;
}

void TChart::RemoveSeries(TChartSeries& series)
{
    const auto found = std::find(series_.begin(), series_.end(), &series);
    if (found != series_.end()) {
        series_.erase(found);
        series.SetParentChart(nullptr);
        Invalidate();
    }
}

void TChart::Invalidate() const
{
    if (AutoRepaint && invalidate_) {
        invalidate_();
    }
}

void TChart::SetChart3DPercent(int percent)
{
    if (percent < 1 || percent > 100) {
        throw std::invalid_argument("3D effect percent must be between 1 and 100");
    }
    if (percent != chart3DPercent_) {
        chart3DPercent_ = percent;
        Invalidate();
    }
}

void TChart::SetLegendTitle(std::vector<std::string> lines)
{
    legendTitle_ = std::move(lines);
    Invalidate();
}

void TChart::SetLegendVisible(bool visible)
{
    if (visible != legendVisible_) {
        legendVisible_ = visible;
        Invalidate();
    }
}

std::vector<TChartSeries*> TChart::ActiveSeries() const
{
    std::vector<TChartSeries*> active;
    std::copy_if(series_.begin(), series_.end(), std::back_inserter(active),
                 [](const TChartSeries* s) { return s->Active(); });
    return active;
}

SeriesPaintContext TChart::PaintContext()
{
    return {canvas_, BottomAxis, LeftAxis, DepthAxis, view_.Rotation(), view_.Perspective(), invertedRotation_};
}

void TChart::CalcChartRect(const DeviceRect& panel)
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

void TChart::PaintPanel(const DeviceRect& panel)
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
void TChart::DrawLegend(const DeviceRect& panel)
{
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
    canvas_.FrontPlaneEnd();
}

void TChart::CalcDepth(const std::vector<TChartSeries*>& active)
{
    int maxZOrder = -1;
    for (const TChartSeries* series : active) {
        maxZOrder += 1;
        if (const auto* series3D = dynamic_cast<const TCustom3DSeries*>(series)) {
            maxZOrder = series3D->TimesZOrder();
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

void TChart::CalcAxes(const std::vector<TChartSeries*>& active)
{
    for (TChartAxis* axis : {&BottomAxis, &LeftAxis, &DepthAxis}) {
        axis->AdjustMaxMin(active);
        axis->CalcPositions(chartRect_, chartDepth_, 0);
    }
    BottomAxis.ReduceChartRect(canvas_, chartRect_);
    DepthAxis.ReduceChartRect(canvas_, chartRect_);
    int margin = 0;
    for (const TChartSeries* series : active) {
        margin = std::max(margin, series->MarginPixels());
    }
    BottomAxis.CalcPositions(chartRect_, chartDepth_, margin);
    LeftAxis.CalcPositions(chartRect_, chartDepth_, margin);
    DepthAxis.CalcPositions(chartRect_, chartDepth_, 0);
}

void TChart::Draw(DrawingDevice& device)
{
    const DeviceRect panel = canvas_.InitWindow(device, view_, true);
    width_ = panel.Width();
    height_ = panel.Height();
    CalcChartRect(panel);
    const bool autoRepaint = AutoRepaint;
    AutoRepaint = false;
    invertedRotation_ = !view_.Orthogonal() ? view_.Rotation() <= 179 : view_.OrthoAngle() > 90;
    PaintPanel(panel);
    NotifyTools(TChartToolEvent::cteBeforeDraw);
    const std::vector<TChartSeries*> active = ActiveSeries();
    for (TChartSeries* series : active) {
        series->DoBeforeDrawChart();
    }
    DrawLegend(panel);
    CalcDepth(active);
    CalcAxes(active);
    canvas_.Projection(chartDepth_, chartRect_);
    NotifyTools(TChartToolEvent::cteBeforeDrawAxes);
    for (TChartAxis* axis : {&BottomAxis, &DepthAxis}) {
        axis->Draw(canvas_, chartRect_, chartDepth_);
    }
    NotifyTools(TChartToolEvent::cteBeforeDrawSeries);
    const SeriesPaintContext context = PaintContext();
    for (TChartSeries* series : active) {
        series->DrawAllValues(context);
    }
    NotifyTools(TChartToolEvent::cteAfterDrawSeries);
    NotifyTools(TChartToolEvent::cteAfterDraw);
    canvas_.ResetState();
    AutoRepaint = autoRepaint;
}

void TChart::NotifyTools(TChartToolEvent event)
{
    for (TChartCustomTool* tool : tools_) {
        if (tool->Active) {
            tool->ChartEvent(*this, event);
        }
    }
}

void TChart::PassMouse(TChartMouseEvent kind, TMouseButton button, int x, int y)
{
    for (TChartCustomTool* tool : tools_) {
        if (CancelMouse) {
            return;
        }
        if (tool->Active) {
            tool->ChartMouseEvent(*this, kind, button, x, y);
        }
    }
}

void TChart::MouseDown(TMouseButton button, int x, int y)
{
    CancelMouse = false;
    PassMouse(TChartMouseEvent::cmeDown, button, x, y);
    CancelMouse = false;
}

void TChart::MouseMove(int x, int y)
{
    CancelMouse = false;
    PassMouse(TChartMouseEvent::cmeMove, TMouseButton::mbLeft, x, y);
}

void TChart::MouseUp(TMouseButton button, int x, int y)
{
    CancelMouse = false;
    PassMouse(TChartMouseEvent::cmeUp, button, x, y);
}

void TChart::DrawOverlay(const OverlayPainter& paint)
{
    if (!overlay_) {
        return;
    }
    overlay_([this, &paint](DrawingDevice& device) {
        canvas_.Attach(device);
        paint(canvas_);
    });
}

void TChart::PrepareRotatedCanvas()
{
    canvas_.Rotate(view_, chartRect_);
}

}  // namespace nivaro
