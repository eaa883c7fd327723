#include "MainChart.h"

namespace nivaro {

void ConfigureMainView(Chart& chart)
{
    ViewOptions3D& view = chart.View3DOptions();
    view.SetElevation(304);
    view.SetRotation(334);
    view.SetZoom(80);
    view.SetOrthogonal(false);
    view.SetZoomText(false);
    chart.MarginLeft = 0;
    chart.MarginTop = 5;
    chart.MarginRight = 0;
    chart.MarginBottom = 25;
    chart.BottomAxis.Title = "X";
    chart.BottomAxis.Increment = 10;
    chart.DepthAxis.Title = "Z";
    chart.DepthAxis.Increment = 10;
    chart.LeftAxis.Visible = false;
    chart.LeftAxis.LabelsVisible = false;
    chart.BorderVisible = false;  // a figure's frame is the page's business
}

void ConfigureMainSurface(SurfaceSeries& surface)
{
    surface.Pen = {RgbColor(192, 192, 192), 1, PenStyle::Solid};
    surface.SetColors(RgbColor(128, 0, 0), RgbColor(255, 0, 0), RgbColor(0, 255, 0));
    surface.PaletteStyle = PaletteKind::Custom;
    surface.UseColorRange = true;
    surface.UsePalette = false;
    constexpr int kLimeSteps = 20;
    constexpr int kRisingSteps = 30;
    std::vector<PaletteEntry> palette;
    for (int i = 0; i < kLimeSteps + kRisingSteps; ++i) {
        const Rgb colour = i < kLimeSteps ? RgbColor(0, 255, 0)
                                          : ColourMapAt(ColourMapKind::GreenRed, (i - kLimeSteps + 0.5) / kRisingSteps);
        palette.push_back({-0.814983718064483 + i * 0.04156353761699742, colour});
    }
    surface.SetPalette(std::move(palette));
}

// Fine enough steps that no band shows on a surface or a colour bar.
void ApplyColourMap(SurfaceSeries& surface, ColourMapKind kind, double lowest, double highest)
{
    if (kind == ColourMapKind::GreenRed) {
        ConfigureMainSurface(surface);
        return;
    }
    constexpr int kSteps = 256;
    const double span = highest > lowest ? highest - lowest : 1.0;
    std::vector<PaletteEntry> palette;
    for (int i = 0; i < kSteps; ++i) {
        palette.push_back({lowest + span * (i + 1) / kSteps, ColourMapAt(kind, (i + 0.5) / kSteps)});
    }
    surface.UseColorRange = false;
    surface.UsePalette = true;
    surface.SetPalette(std::move(palette));
}

MainChart::MainChart()
{
    ConfigureMainView(chart_);
    ConfigureMainSurface(surface_);
    chart_.AddSeries(surface_);
}

MainChart::~MainChart()
{
    RemoveTrajectories();
    chart_.RemoveSeries(surface_);
}

void MainChart::SetColourMap(ColourMapKind kind)
{
    colourMap_ = kind;
    ColourSurface();
    chart_.Invalidate();
}

void MainChart::ColourSurface()
{
    const ValueList& heights = surface_.YValues();
    const bool filled = heights.Count() > 0;
    ApplyColourMap(surface_, colourMap_, filled ? heights.MinValue() : 0.0, filled ? heights.MaxValue() : 1.0);
}

void MainChart::RemoveTrajectories()
{
    while (!trajectories_.empty()) {
        chart_.RemoveSeries(*trajectories_.back());
        trajectories_.pop_back();
    }
}

PointSeries3D& MainChart::NewTrajectorySeries()
{
    auto series = std::make_unique<PointSeries3D>();
    series->LinePen.width = 1;
    series->MarksVisible = false;
    series->PointerInflateMargins = true;
    series->PointerShape = PointerStyle::SmallDot;
    series->PointerVisible = true;
    chart_.AddSeries(*series);
    trajectories_.push_back(std::move(series));
    return *trajectories_.back();
}

}  // namespace nivaro
