#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

#include "RecordingDevice.h"
#include "chart/MainChart.h"
#include "chart/Chart.h"
#include "chart/PointSeries3D.h"
#include "chart/SurfaceSeries.h"

namespace nivaro {
namespace {

using Kind = RecordingDevice::Kind;

// The window's view; the tests hide the axes where they need the bare
// chart rectangle.
void UseWindowView(Chart& chart)
{
    ConfigureMainView(chart);
}

// A 3 by 3 grid (X and Z from 0 to 2) whose points carry their index + 1 as
// colour, so that a cell's brush tells its colour corner.
void FillTaggedGrid(SurfaceSeries& surface)
{
    for (int x = 0; x <= 2; ++x) {
        for (int z = 0; z <= 2; ++z) {
            const int index = surface.AddXYZ(x, x + z, z);
            surface.SetValueColor(index, static_cast<Rgb>(index + 1));
        }
    }
}

std::vector<Rgb> CellColours(const RecordingDevice& device)
{
    std::vector<Rgb> colours;
    for (const auto* polygon : device.Of(Kind::Polygon)) {
        if (polygon->brush.color >= 1 && polygon->brush.color <= 9) {
            colours.push_back(polygon->brush.color);
        }
    }
    return colours;
}

TEST(SurfaceDrawing, CellOrderAndColourCornerFollowTheRotation)
{
    const struct {
        int rotation;
        std::vector<Rgb> colours;  // colour-corner index + 1, in drawing order
    } cases[] = {
        {334, {3, 2, 6, 5}},  // rows up, columns down: corner 1
        {200, {2, 3, 5, 6}},  // rows up, columns up: corner 2
        {100, {5, 6, 2, 3}},  // rows down, columns up: corner 3
    };
    for (const auto& c : cases) {
        Chart chart;
        UseWindowView(chart);
        chart.View3DOptions().SetRotation(c.rotation);
        SurfaceSeries surface;
        chart.AddSeries(surface);
        FillTaggedGrid(surface);
        RecordingDevice device(800, 600);
        chart.Draw(device);
        EXPECT_EQ(CellColours(device), c.colours) << "rotation " << c.rotation;
    }
}

TEST(SurfaceDrawing, HeadOnViewsDrawRowsFromBothEnds)
{
    const CellsOrientation orientation{-1, -1, 2, 6, 3, 2, true};
    EXPECT_EQ(SurfaceSeries::RowOrder(orientation), (std::vector<int>{2, 6, 3, 5, 4}));
    const CellsOrientation ordinary{-1, -1, 2, 6, 3, 2, false};
    EXPECT_EQ(SurfaceSeries::RowOrder(ordinary), (std::vector<int>{2, 3, 4, 5, 6}));

    Chart chart;
    UseWindowView(chart);
    chart.View3DOptions().SetRotation(180);
    SurfaceSeries surface;
    chart.AddSeries(surface);
    FillTaggedGrid(surface);
    RecordingDevice device(800, 600);
    chart.Draw(device);
    EXPECT_TRUE(surface.Orientation(chart.PaintContext()).headOn);
    chart.View3DOptions().SetPerspective(0);
    EXPECT_FALSE(surface.Orientation(chart.PaintContext()).headOn);
}

TEST(SurfaceDrawing, CellsGoThroughPlaneFourWithTheSilverOutline)
{
    Chart chart;
    UseWindowView(chart);
    SurfaceSeries surface;
    surface.Pen = {RgbColor(192, 192, 192), 1, PenStyle::Solid};
    chart.AddSeries(surface);
    FillTaggedGrid(surface);
    surface.SetValueColor(4, kNoColour);  // the middle node's colour skips the cells it colours
    RecordingDevice device(800, 600);
    chart.Draw(device);
    const std::vector<Rgb> colours = CellColours(device);
    EXPECT_EQ(colours, (std::vector<Rgb>{3, 2, 6})) << "the cell coloured by the middle node is skipped";
    for (const auto* polygon : device.Of(Kind::Polygon)) {
        if (polygon->brush.color >= 1 && polygon->brush.color <= 9) {
            EXPECT_EQ(polygon->points.size(), 4u);
            EXPECT_EQ(polygon->pen.color, RgbColor(192, 192, 192));
        }
    }
}

TEST(PaletteColouring, ColourRangeRunsLimeRedMaroonWithEvenRounding)
{
    SurfaceSeries surface;
    surface.SetColors(RgbColor(128, 0, 0), RgbColor(255, 0, 0), RgbColor(0, 255, 0));
    surface.AddXYZ(0, 0, 0);
    surface.AddXYZ(1, 2, 0);
    surface.DoBeforeDrawChart();
    const std::pair<double, Rgb> cases[] = {
        {0.0, 0x00FF00}, {0.5, 0x007F80}, {1.0, 0x0000FF}, {2.0, 0x000080}, {1.5, 0x0000BF}, {-1.0, 0x00FF00},
        {3.0, 0x000080},
    };
    for (const auto& [y, colour] : cases) {
        EXPECT_EQ(surface.GetValueColorValue(y), colour) << y;
    }
    surface.SetValueColor(0, RgbColor(255, 0, 0));
    EXPECT_EQ(surface.GetValueColor(0), 0x0000FFu) << "a point's own colour wins";

    SurfaceSeries flat;
    flat.SetColors(RgbColor(128, 0, 0), RgbColor(255, 0, 0), RgbColor(0, 255, 0));
    flat.AddXYZ(0, 1, 0);
    flat.DoBeforeDrawChart();
    EXPECT_EQ(flat.GetValueColorValue(1.0), 0x00FF00u) << "all Y equal: the end colour";
}

TEST(PaletteColouring, SteppedPaletteAndLegendItems)
{
    SurfaceSeries surface;
    surface.SetPalette({{0.0, 1}, {1.0, 2}, {2.0, 3}});
    EXPECT_EQ(surface.CountLegendItems(), 0) << "no points yet";
    surface.AddXYZ(0, 0.5, 0);
    EXPECT_EQ(surface.CountLegendItems(), 3);
    EXPECT_EQ(surface.LegendString(2), "0");
    EXPECT_EQ(surface.LegendString(0), "2");
    EXPECT_EQ(surface.LegendString(3), "");
    surface.UseColorRange = false;
    surface.UsePalette = true;
    EXPECT_EQ(surface.GetSurfacePaletteColor(1.0), 3u) << "an equal bound takes the next entry";
    EXPECT_EQ(surface.GetSurfacePaletteColor(5.0), 3u);
    EXPECT_EQ(surface.GetSurfacePaletteColor(-1.0), 1u);
    surface.PaletteStyle = PaletteKind::Custom;
    surface.Clear();
    EXPECT_EQ(surface.Palette().size(), 3u) << "a custom palette survives a clear";
}

TEST(ChartAxes, StepsFollowTheOneTwoFiveRuleAndLabelsCountDown)
{
    Chart chart;
    PointSeries3D series;
    chart.AddSeries(series);
    series.AddXYZ(0, 0, 0);
    series.AddXYZ(25, 0, 0);
    RecordingDevice device(2000, 600);
    chart.Canvas().InitWindow(device, chart.View3DOptions(), true);
    ChartAxis& axis = chart.BottomAxis;
    axis.Increment = 10;
    axis.AdjustMaxMin({&series});
    axis.CalcPositions({0, 0, 1000, 100}, 0, 0);
    double step = axis.CalcIncrement(chart.Canvas());
    EXPECT_EQ(step, 10.0);
    EXPECT_EQ(axis.LabelValues(step), (std::vector<double>{20, 10, 0}));
    axis.CalcPositions({0, 0, 26, 100}, 0, 0);  // room for one label of "12.5"
    step = axis.CalcIncrement(chart.Canvas());
    EXPECT_EQ(step, 20.0);
    EXPECT_EQ(axis.LabelValues(step), (std::vector<double>{20, 0}));

    PointSeries3D symmetric;
    symmetric.AddXYZ(-5, 0, 0);
    symmetric.AddXYZ(5, 0, 0);
    axis.AdjustMaxMin({&symmetric});
    EXPECT_EQ(axis.LabelValues(10), (std::vector<double>{0}));

    PointSeries3D column;
    column.AddXYZ(3, 0, 0);
    column.AddXYZ(3, 1, 0);
    axis.AdjustMaxMin({&column});
    axis.CalcPositions({0, 0, 1000, 100}, 0, 0);
    EXPECT_EQ(axis.LabelValues(10).size(), 1u);
    EXPECT_EQ(axis.CalcPosValue(3.0), 500) << "a zero range maps to the centre";
}

// Labels in physical units: ticks at round label values, placed where their
// axis values are; a fixed increment in axis values rounds up the 1-2-5 way.
TEST(ChartAxes, ScaledLabelsSitAtRoundPhysicalValues)
{
    Chart chart;
    PointSeries3D series;
    chart.AddSeries(series);
    series.AddXYZ(-37, 0, 0);
    series.AddXYZ(37, 0, 0);
    RecordingDevice device(2000, 600);
    chart.Canvas().InitWindow(device, chart.View3DOptions(), true);
    ChartAxis& axis = chart.BottomAxis;
    axis.Increment = 10;
    axis.LabelScale = 0.8;  // 0.8 nm a block
    axis.AdjustMaxMin({&series});
    axis.CalcPositions({0, 0, 1000, 100}, 0, 0);
    const double step = axis.CalcIncrement(chart.Canvas());
    EXPECT_EQ(step, 10.0) << "8 nm rounds up to 10 nm";
    EXPECT_EQ(axis.LabelValues(step), (std::vector<double>{20, 10, 0, -10, -20}));

    axis.LabelOffset = 5.0;  // z0
    EXPECT_EQ(axis.LabelValues(step), (std::vector<double>{30, 20, 10, 0, -10, -20}));
}

TEST(ChartAxes, LabelTextUsesGroupingAndThreeDecimals)
{
    const std::pair<double, const char*> cases[] = {
        {1234.5, "1,234.5"}, {12, "12"}, {0.12345, "0.123"}, {-0.814983718064483, "-0.815"}, {1234567, "1,234,567"},
        {-0.0001, "0"}};
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(ChartAxis::FormatValue(value), text) << value;
    }
}

TEST(ChartPaint, MarginsAndDepthFollowThePanelSize)
{
    Chart chart;
    UseWindowView(chart);
    chart.BottomAxis.Visible = false;
    chart.DepthAxis.Visible = false;
    RecordingDevice empty(800, 600);
    chart.Draw(empty);
    EXPECT_EQ(chart.ChartRect().left, 0);
    EXPECT_EQ(chart.ChartRect().top, 30);
    EXPECT_EQ(chart.ChartRect().right, 800);
    EXPECT_EQ(chart.ChartRect().bottom, 450);
    EXPECT_EQ(chart.ChartDepth(), 160) << "without series one series depth: 0.2 of 800 rounded";
    EXPECT_TRUE(empty.Of(Kind::Text).empty()) << "no legend without an active series";

    SurfaceSeries surface;
    chart.AddSeries(surface);
    RecordingDevice wide(600, 600);
    chart.Draw(wide);
    EXPECT_EQ(chart.ChartRect().right - chart.ChartRect().left, 600);
    EXPECT_EQ(chart.ChartDepth(), 480);
    EXPECT_EQ(chart.Canvas().CentreZ(), 240);
    chart.SetDepthPercent(50);
    EXPECT_THROW(chart.SetDepthPercent(0), std::invalid_argument);
    chart.Draw(wide);
    EXPECT_EQ(chart.ChartDepth(), 240);
    EXPECT_EQ(chart.Canvas().CentreZ(), 120);
}

TEST(ChartPaint, LegendTitleLinesAtTheTopRight)
{
    Chart chart;
    UseWindowView(chart);
    SurfaceSeries surface;
    chart.AddSeries(surface);
    chart.SetLegendTitle({"slits=2", "mass=9.1095E-31"});
    RecordingDevice device(800, 600);
    chart.Draw(device);
    std::map<std::string, DevicePoint> texts;
    for (const auto* text : device.Of(Kind::Text)) {
        texts[text->text] = text->points[0];
    }
    ASSERT_TRUE(texts.count("slits=2"));
    ASSERT_TRUE(texts.count("mass=9.1095E-31"));
    EXPECT_EQ(texts["slits=2"].y + 11, texts["mass=9.1095E-31"].y) << "one line below the other";
    EXPECT_EQ(texts["mass=9.1095E-31"].x, texts["slits=2"].x) << "left-aligned";
    EXPECT_GT(texts["slits=2"].x, 600) << "at the right of the chart";
    EXPECT_LT(texts["slits=2"].y, 10) << "at the top";
}

TEST(PointSeries, SmallDotsInTheSeriesColourJoinedByBlackLines)
{
    Chart chart;
    UseWindowView(chart);
    SurfaceSeries surface;
    PointSeries3D first;
    PointSeries3D second;
    chart.AddSeries(surface);
    chart.AddSeries(first);
    chart.AddSeries(second);
    EXPECT_EQ(surface.SeriesColor(), 0xFF0000u);
    EXPECT_EQ(first.SeriesColor(), 0x00FF00u);
    EXPECT_EQ(second.SeriesColor(), 0xFFFF00u);
    first.PointerShape = PointerStyle::SmallDot;
    second.PointerShape = PointerStyle::SmallDot;
    for (int k = 0; k < 3; ++k) {
        first.AddXYZ(k, 1, k);
    }
    second.AddXYZ(1, 1, 1);
    RecordingDevice device(800, 600);
    chart.Draw(device);
    const auto pixels = device.Of(Kind::Pixel);
    ASSERT_EQ(pixels.size(), 4u);
    EXPECT_EQ(pixels[0]->color, 0x00FF00u);
    EXPECT_EQ(pixels[3]->color, 0xFFFF00u);
    std::vector<const RecordingDevice::Primitive*> segments;
    for (const auto* line : device.Of(Kind::Polyline)) {
        if (line->pen.color == 0 && line->pen.width == 1 && line->points.size() == 2 &&
            (line->points[0] == pixels[0]->points[0] || line->points[0] == pixels[1]->points[0])) {
            segments.push_back(line);
        }
    }
    ASSERT_EQ(segments.size(), 2u) << "points 0-1 and 1-2; a single point has no line";
    EXPECT_EQ(segments[0]->points[1], pixels[1]->points[0]);
    EXPECT_EQ(segments[1]->points[1], pixels[2]->points[0]);
}

}  // namespace
}  // namespace nivaro
