#include <gtest/gtest.h>

#include "RecordingDevice.h"
#include "chart/Chart.h"
#include "chart/SurfaceSeries.h"

namespace nivaro {
namespace {

TEST(RotateTool, AnglesWrapAndClampOnThisCanvas)
{
    EXPECT_EQ(RotateTool::RotationChange(false, 45, 334), 19);
    EXPECT_EQ(RotateTool::RotationChange(false, -20, 10), 350);
    EXPECT_EQ(RotateTool::RotationChange(false, 0, 10), 10);
    EXPECT_EQ(RotateTool::RotationChange(true, -20, 10), 0);
    EXPECT_EQ(RotateTool::ElevationChange(false, 500, 304), 360);
    EXPECT_EQ(RotateTool::ElevationChange(false, -500, 304), 270);
    EXPECT_EQ(RotateTool::ElevationChange(true, -500, 304), 0);
}

class ToolChart : public testing::Test {
protected:
    ToolChart()
    {
        ViewOptions3D& view = chart.View3DOptions();
        view.SetElevation(304);
        view.SetRotation(334);
        view.SetZoom(80);
        view.SetOrthogonal(false);
        chart.AddSeries(surface);
        for (int x = 0; x <= 2; ++x) {
            for (int z = 0; z <= 2; ++z) {
                surface.AddXYZ(x, x * z, z);
            }
        }
        chart.AddTool(rotate);
        nearest.SetSeries(&surface);
        nearest.OnSelectCell = [this](NearestCellTool&) { ++selections; };
        chart.AddTool(nearest);
        Paint();
    }

    void Paint()
    {
        RecordingDevice device(800, 600);
        chart.Draw(device);
    }

    // The screen point in the middle of the cell between X x0..x0+1 and Z z0..z0+1.
    DevicePoint CellCentre(double x0, double z0)
    {
        const SeriesPaintContext context = chart.PaintContext();
        long sx = 0;
        long sy = 0;
        for (const double x : {x0, x0 + 1}) {
            for (const double z : {z0, z0 + 1}) {
                const DevicePoint p = context.canvas.Calc3DPos(context.horizontal.CalcPosValue(x),
                                                               context.vertical.CalcPosValue(x * z),
                                                               context.depth.CalcPosValue(z));
                sx += p.x;
                sy += p.y;
            }
        }
        return {static_cast<int>(sx / 4), static_cast<int>(sy / 4)};
    }

    Chart chart;
    SurfaceSeries surface;
    RotateTool rotate;
    NearestCellTool nearest;
    int selections = 0;
};

TEST_F(ToolChart, DraggingTurnsTheViewAndHidesMovesFromTheNearestTool)
{
    chart.View3DOptions().SetOrthogonal(true);
    chart.MouseDown(MouseButton::Left, 100, 300);
    EXPECT_TRUE(rotate.Dragging());
    chart.MouseMove(100 + 400, 300);
    EXPECT_EQ(chart.View3DOptions().Rotation(), 19) << "half the width turns by 45 degrees";
    EXPECT_FALSE(chart.View3DOptions().Orthogonal());
    chart.MouseMove(500, 300 - 300);
    EXPECT_EQ(chart.View3DOptions().Elevation(), 349) << "half the height up raises the elevation by 45";
    EXPECT_EQ(selections, 0) << "the nearest tool sees no moves while dragging";
    chart.MouseUp(MouseButton::Left, 500, 0);
    EXPECT_FALSE(rotate.Dragging());

    chart.MouseDown(MouseButton::Right, 100, 300);
    EXPECT_FALSE(rotate.Dragging()) << "only the tool's button starts a drag";
    rotate.Style = RotateToolStyle::Rotation;
    chart.MouseDown(MouseButton::Left, 100, 300);
    chart.MouseMove(100, 0);
    EXPECT_EQ(chart.View3DOptions().Elevation(), 349) << "rotation only";
}

TEST_F(ToolChart, OutlineModeDrawsTheBoxInXorAndRepaintsOnceOnRelease)
{
    RecordingDevice overlay(800, 600);
    chart.SetOverlayHandler([&overlay](const std::function<void(DrawingDevice&)>& paint) { paint(overlay); });
    int repaints = 0;
    chart.SetInvalidateHandler([&repaints] { ++repaints; });
    rotate.PenVisible = true;
    chart.MouseDown(MouseButton::Left, 100, 300);
    chart.MouseMove(140, 300);
    chart.MouseMove(180, 300);
    EXPECT_FALSE(chart.AutoRepaint) << "the drag draws outlines instead of painting";
    EXPECT_EQ(repaints, 0);
    const auto lines = overlay.Of(RecordingDevice::Kind::Polyline);
    ASSERT_EQ(lines.size(), 3u * 12u) << "drawn, erased and drawn again: 12 edges each";
    for (const auto* line : lines) {
        EXPECT_TRUE(line->pen.xorMode);
    }
    chart.MouseUp(MouseButton::Left, 180, 300);
    EXPECT_TRUE(chart.AutoRepaint);
    EXPECT_EQ(repaints, 1);
}

TEST_F(ToolChart, AfterTurningDecaysUntilTheStepsAreSmall)
{
    int ticks = 0;
    rotate.Inertia = 50;
    rotate.ScheduleTick = [&ticks] { ++ticks; };
    chart.MouseDown(MouseButton::Left, 100, 300);
    chart.MouseMove(108, 300);  // 0.9 degrees a step
    chart.MouseUp(MouseButton::Left, 108, 300);
    EXPECT_EQ(ticks, 1);
    const double before = chart.View3DOptions().RotationValue();
    rotate.TimerTick(chart);
    EXPECT_NEAR(chart.View3DOptions().RotationValue() - before, 0.9, 1e-9);
    for (int paint = 0; paint < 40; ++paint) {
        Paint();  // five notifications a paint, each multiplying the step by 0.95
    }
    const int scheduled = ticks;
    const double settled = chart.View3DOptions().RotationValue();
    rotate.TimerTick(chart);
    EXPECT_EQ(ticks, scheduled) << "the timer stopped once the steps fell below 0.01";
    EXPECT_EQ(chart.View3DOptions().RotationValue(), settled);
}

TEST_F(ToolChart, NearestToolHighlightsTheCellItsRowAndItsColumn)
{
    const DevicePoint centre = CellCentre(1, 1);
    chart.MouseMove(centre.x, centre.y);
    chart.MouseMove(centre.x + 1, centre.y);
    EXPECT_EQ(selections, 1) << "moving within one cell raises one event";
    double row = 0;
    double column = 0;
    nearest.GetRowCol(chart, row, column);
    EXPECT_EQ(row, 1.0);
    EXPECT_EQ(column, 2.0);
    for (int k = 0; k < surface.Count(); ++k) {
        const double x = surface.XValues()[k];
        const double z = surface.ZValues()[k];
        const Rgb expected = x == 1 && z == 2 ? nearest.CellColor
                                : x == 1         ? nearest.RowColor
                                : z == 2         ? nearest.ColumnColor
                                                 : kAutomaticColour;
        EXPECT_EQ(surface.ValueColor(k), expected) << x << "," << z;
    }

    chart.View3DOptions().SetRotation(200);
    Paint();
    const DevicePoint turned = CellCentre(1, 1);
    chart.MouseMove(turned.x, turned.y);
    nearest.GetRowCol(chart, row, column);
    EXPECT_EQ(row, 1.0);
    EXPECT_EQ(column, 2.0);

    chart.MouseMove(2, 2);
    EXPECT_EQ(nearest.Cell(), -1);
    nearest.GetRowCol(chart, row, column);
    EXPECT_EQ(row, -1.0);
    EXPECT_EQ(surface.ValueColor(4), kAutomaticColour) << "leaving the surface removes the highlight";
    const int events = selections;
    chart.MouseMove(3, 3);
    EXPECT_EQ(selections, events) << "further moves off the surface raise nothing";
}

TEST(SurfaceSeries, EvenOddRuleOnAQuadrilateral)
{
    const DevicePoint square[4] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    EXPECT_TRUE(SurfaceSeries::InsideQuadrilateral(square, 5, 5));
    EXPECT_TRUE(SurfaceSeries::InsideQuadrilateral(square, 0, 0)) << "the top and left edges belong to it";
    EXPECT_FALSE(SurfaceSeries::InsideQuadrilateral(square, 10, 5));
    EXPECT_FALSE(SurfaceSeries::InsideQuadrilateral(square, 5, 10));
    EXPECT_FALSE(SurfaceSeries::InsideQuadrilateral(square, -1, 5));
}

}  // namespace
}  // namespace nivaro
