#include <gtest/gtest.h>

#include "chart/Chart.h"
#include "chart/PointSeries3D.h"
#include "chart/SurfaceSeries.h"

namespace nivaro {
namespace {

TEST(ValueList, GrowsInStepsOfAThousandAndComputesStatisticsLazily)
{
    ValueList list("Y");
    EXPECT_EQ(list.MinValue(), 0.0);
    EXPECT_EQ(list.Total(), 0.0);
    list.SetStaged(-2.0);
    EXPECT_EQ(list.AddChartValue(), 0);
    EXPECT_EQ(list.Capacity(), 1000);
    for (int i = 1; i < 1000; ++i) {
        list.SetStaged(i % 7);
        list.AddChartValue();
    }
    EXPECT_EQ(list.Capacity(), 1000);
    list.InsertChartValue(3, 10.0);
    EXPECT_EQ(list.Capacity(), 2000);
    EXPECT_EQ(list.Count(), 1001);
    EXPECT_EQ(list[3], 10.0);
    EXPECT_EQ(list.MinValue(), -2.0);
    EXPECT_EQ(list.MaxValue(), 10.0);
    EXPECT_EQ(list.Range(), 12.0);
    list.SetStaged(-5.0);
    list.AddChartValue();
    EXPECT_EQ(list.MinValue(), -5.0) << "an add makes the statistics stale";
    EXPECT_EQ(list.TotalABS(), list.Total() + 2 * 7.0);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Capacity(), 0);
    EXPECT_EQ(list.MaxValue(), 0.0);
}

TEST(XyzSeries, AddXYZKeepsInsertionOrderAndColoursStayAligned)
{
    PointSeries3D series;
    EXPECT_EQ(series.AddXYZ(1, 2, 3), 0);
    EXPECT_EQ(series.AddXYZ(-4, 5, 6), 1) << "no sorting by X";
    EXPECT_EQ(series.XValues()[1], -4.0);
    EXPECT_EQ(series.YValues()[1], 5.0);
    EXPECT_EQ(series.ZValues()[1], 6.0);
    EXPECT_EQ(series.MaxZValue(), 6.0);
    EXPECT_EQ(series.ZValues().Name(), "Z");

    series.SetValueColor(0, kAutomaticColour);
    EXPECT_FALSE(series.HasColorList()) << "the automatic colour needs no list";
    series.SetValueColor(1, RgbColor(0, 0, 255));
    EXPECT_EQ(series.ValueColor(0), kAutomaticColour);
    EXPECT_EQ(series.ValueColor(1), 0xFF0000u);
    series.AddXYZ(7, 8, 9);
    EXPECT_EQ(series.ValueColor(2), kAutomaticColour);
    series.Clear();
    EXPECT_EQ(series.Count(), 0);
    EXPECT_FALSE(series.HasColorList());
    EXPECT_EQ(series.FirstVisibleIndex(), -1);
}

TEST(GridSeries3D, GridIndexIsRebuiltFromRoundedValues)
{
    SurfaceSeries surface;
    for (int x = -2; x <= 1; ++x) {
        for (int z = 0; z <= 2; ++z) {
            surface.AddXYZ(x, x * z, z);
        }
    }
    surface.DoBeforeDrawChart();
    EXPECT_EQ(surface.NumXValues(), 4);
    EXPECT_EQ(surface.NumZValues(), 3);
    EXPECT_EQ(surface.GridIndex(1, 1), 0) << "the point (-2, 0)";
    EXPECT_EQ(surface.GridIndex(4, 3), 11) << "the point (1, 2)";
    EXPECT_EQ(surface.GridIndex(0, 2), -1);

    SurfaceSeries halves;
    halves.AddXYZ(0.5, 0, 0);
    halves.AddXYZ(1.5, 0, 0);
    halves.AddXYZ(2.0, 0, 0);  // the same node as 1.5: the later point wins
    halves.DoBeforeDrawChart();
    EXPECT_EQ(halves.NumXValues(), 3);
    EXPECT_EQ(halves.GridIndex(1, 1), 0);
    EXPECT_EQ(halves.GridIndex(3, 1), 2);
    EXPECT_EQ(halves.GridIndex(2, 1), -1);
}

TEST(GridSeries3D, SizesClearOnlyWhenTheyChangeAndEmptySeriesKeepTheirShape)
{
    SurfaceSeries surface;
    surface.AddXYZ(3, 1, 4);
    surface.SetNumXValues(10);
    EXPECT_EQ(surface.Count(), 1) << "an unchanged size keeps the points";
    surface.SetNumXValues(300);
    EXPECT_EQ(surface.Count(), 0);
    surface.SetNumZValues(300);
    EXPECT_EQ(surface.GridIndex(300, 300), -1);
    surface.DoBeforeDrawChart();
    EXPECT_EQ(surface.NumXValues(), 300) << "an empty series is not rebuilt";

    surface.AddXYZ(5, 1, 5);
    surface.DoBeforeDrawChart();
    EXPECT_EQ(surface.NumXValues(), 1);
    EXPECT_EQ(surface.NumZValues(), 1);
    EXPECT_EQ(surface.GridIndex(1, 1), 0);
}

TEST(Chart, ListsSeriesAndRepaintsOnlyWithAutoRepaint)
{
    Chart chart;
    int invalidations = 0;
    chart.SetInvalidateHandler([&] { ++invalidations; });
    SurfaceSeries surface;
    PointSeries3D trajectory;
    chart.AddSeries(surface);
    chart.AddSeries(trajectory);
    EXPECT_EQ(chart.SeriesCount(), 2);
    EXPECT_EQ(&chart.GetSeries(1), &trajectory);
    EXPECT_EQ(trajectory.ParentChart(), &chart);
    const int before = invalidations;
    surface.AddXYZ(1, 1, 1);
    EXPECT_EQ(invalidations, before + 1);
    chart.AutoRepaint = false;
    surface.AddXYZ(2, 1, 1);
    EXPECT_EQ(invalidations, before + 1);
    chart.AutoRepaint = true;
    surface.BeginUpdate();
    surface.AddXYZ(3, 1, 1);
    surface.AddXYZ(4, 1, 1);
    surface.EndUpdate();
    EXPECT_EQ(invalidations, before + 2) << "one repaint for the whole update";
    chart.RemoveSeries(trajectory);
    EXPECT_EQ(chart.SeriesCount(), 1);
    EXPECT_EQ(trajectory.ParentChart(), nullptr);
    EXPECT_EQ(chart.LegendTitle().size(), 3u);
}

}  // namespace
}  // namespace nivaro
