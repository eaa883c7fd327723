#include <gtest/gtest.h>

#include <QImage>

#include "chart/MainChart.h"
#include "engine/DensityGrid.h"
#include "window/ColourBar.h"
#include "window/SurfaceContent.h"

namespace nivaro {
namespace {

// The colour bar takes the span of the values the surface shows, not the
// span the chart last drew with: here the chart is never drawn.
TEST(SurfaceContent, TheColourBarSpansTheSurfaceBeforeTheChartIsDrawn)
{
    SimulationState state;
    state.grid.nx = state.grid.nz = 60;
    SilentProgress progress;
    ComputeDensityGrid(state, progress);
    MainChart chart;
    const DerivedResults derived;
    SurfaceContent surface(chart, state, derived);
    surface.ShowDensity(PrepareDensitySurface(state, false), {});

    ColourBar bar;
    bar.resize(80, 400);
    bar.SetScale(surface.ColourScale());
    const QImage picture = bar.grab().toImage();
    const auto colourAt = [&picture](double share) { return picture.pixel(16, static_cast<int>(picture.height() * share)); };
    const QRgb head = colourAt(0.1);
    const QRgb foot = colourAt(0.95);
    EXPECT_GT(qRed(head), qRed(foot)) << "red at the highest values";
    EXPECT_LT(qGreen(head), qGreen(foot)) << "green at the lowest";
}

}  // namespace
}  // namespace nivaro
