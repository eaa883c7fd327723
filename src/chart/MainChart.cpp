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
    constexpr Rgb kRisingRed[] = {0x00FE01, 0x00F30C, 0x00E916, 0x00DF20, 0x00D42B, 0x00CA35, 0x00BF40, 0x00B54A,
                                     0x00AB54, 0x00A05F, 0x009669, 0x008B74, 0x00817E, 0x007788, 0x006C93, 0x00629D,
                                     0x0057A8, 0x004DB2, 0x0042BD, 0x0038C7, 0x002ED1, 0x0023DC, 0x0019E6, 0x000EF1,
                                     0x0004FB, 0x0000FC, 0x0000F7, 0x0000F1, 0x0000EC, 0x0000E7};
    std::vector<PaletteEntry> palette;
    for (int i = 0; i < 50; ++i) {
        const Rgb colour = i < 20 ? Rgb{0x00FF00} : kRisingRed[i - 20];
        palette.push_back({-0.814983718064483 + i * 0.04156353761699742, colour});
    }
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
