#include <gtest/gtest.h>

#include <cmath>

#include "RecordingDevice.h"
#include "chart/Canvas3D.h"

namespace nivaro {
namespace {

ViewOptions3D WindowView()
{
    ViewOptions3D options;
    options.SetElevation(304);
    options.SetRotation(334);
    options.SetZoom(80);
    options.SetOrthogonal(false);
    options.SetZoomText(false);
    return options;
}

// A canvas set up for one paint of a view.
struct PreparedCanvas {
    PreparedCanvas(const ViewOptions3D& view, int depth, const DeviceRect& chartRect) : options(view)
    {
        canvas.InitWindow(device, options, true);
        canvas.Projection(depth, chartRect);
    }
    RecordingDevice device{800, 600};
    ViewOptions3D options;
    Canvas3D canvas;
};

TEST(Canvas3D, ProjectsTheWindowViewExactly)
{
    PreparedCanvas prepared(WindowView(), 160, {0, 0, 800, 600});
    const Canvas3D& canvas = prepared.canvas;
    EXPECT_EQ(canvas.CentreZ(), 80);
    const struct {
        Point3D in;
        DevicePoint out;
    } cases[] = {
        {{400, 300, 80}, {400, 300}}, {{600, 300, 0}, {517, 407}}, {{600, 300, 160}, {572, 310}},
        {{200, 500, 0}, {231, 378}},  {{400, 100, 160}, {428, 161}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(canvas.Calc3DPos(c.in.x, c.in.y, c.in.z), c.out) << c.in.x << "," << c.in.y << "," << c.in.z;
        EXPECT_EQ(canvas.Calc3DPoint(c.in.x, c.in.y, c.in.z), c.out);
    }
}

TEST(Canvas3D, HeadOnWithoutPerspectiveOnlyShifts)
{
    ViewOptions3D headOn;
    headOn.SetElevation(360);
    headOn.SetRotation(360);
    headOn.SetPerspective(0);
    headOn.SetOrthogonal(false);
    PreparedCanvas prepared(headOn, 100, {0, 0, 300, 200});
    const Canvas3D& canvas = prepared.canvas;
    for (const int z : {0, 50, 100}) {
        EXPECT_EQ(canvas.Calc3DPos(10, 20, z), (DevicePoint{10, 20}));
    }
    EXPECT_EQ(canvas.Calculate2DPosition(10, 20, 50), (DevicePoint{10, 20}));
}

TEST(Canvas3D, FrontPlaneDisablesTheProjectionUntilTheLastEnd)
{
    PreparedCanvas prepared(WindowView(), 160, {0, 0, 800, 600});
    Canvas3D& canvas = prepared.canvas;
    canvas.FrontPlaneBegin();
    canvas.FrontPlaneBegin();
    canvas.FrontPlaneEnd();
    EXPECT_EQ(canvas.Calc3DPos(600, 300, 0), (DevicePoint{600, 300}));
    canvas.FrontPlaneEnd();
    EXPECT_EQ(canvas.Calc3DPos(600, 300, 0), (DevicePoint{517, 407}));
}

TEST(ViewOptions3D, SettersClampCompareAndRepaint)
{
    int repaints = 0;
    ViewOptions3D options([&] { ++repaints; });
    options.SetPerspective(150);
    EXPECT_EQ(options.Perspective(), 100);
    options.SetPerspective(100);
    EXPECT_EQ(repaints, 1) << "an unchanged value asks for nothing";
    options.SetRotation(333.6);
    EXPECT_EQ(options.Rotation(), 334);
    options.SetPerspective(-5);
    EXPECT_EQ(options.Perspective(), -5);
    EXPECT_EQ(options.CalcOrthoRatio(), std::tan(45 * 0.017453292519943295));
    options.SetOrthogonal(false);
    EXPECT_EQ(options.CalcOrthoRatio(), 1.0);
}

}  // namespace
}  // namespace nivaro
