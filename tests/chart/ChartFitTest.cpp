#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <vector>

#include "RecordingDevice.h"
#include "chart/ChartFit.h"
#include "chart/MainChart.h"

namespace nivaro {
namespace {

struct Point {
    double x;
    double y;
    double z;
};

// The window's chart with a two-hump surface and a legend, fitted at sizes
// from small to wide: nothing drawn from the axes on reaches the band inside
// the frame, and the drawing fills the room in at least one direction.
TEST(ChartFit, TheDrawingStaysInsideAtEverySize)
{
    MainChart main;
    std::vector<Point> points;
    for (int x = -20; x <= 20; ++x) {
        for (int z = 0; z <= 40; ++z) {
            points.push_back({double(x), std::exp(-(x - 5) * (x - 5) / 8.0) + std::exp(-(x + 5) * (x + 5) / 8.0), double(z)});
        }
    }
    main.FillSurface(41, 41, points);
    main.Plot().SetLegendTitle({"slits=2", "lambda=1E-8", "d=1E-8"});
    for (const auto& [width, height] : {std::pair{400, 300}, std::pair{832, 740}, std::pair{1900, 1000}}) {
        RecordingDevice measure(width, height);
        FitZoom(main.Plot(), measure);

        RecordingDevice device(width, height);
        main.Plot().Draw(device);
        const DeviceRect legend = main.Plot().LegendRect();
        ASSERT_GT(legend.Width(), 0);
        int lowest = INT_MAX;
        int highest = INT_MIN;
        int leftmost = INT_MAX;
        int rightmost = INT_MIN;
        for (const auto& primitive : device.primitives) {
            const bool legendText = primitive.kind == RecordingDevice::Kind::Text && !primitive.points.empty() &&
                                    primitive.points[0].y <= legend.bottom && primitive.points[0].x >= legend.left;
            const bool frame = primitive.kind == RecordingDevice::Kind::Polygon && primitive.points.size() == 4 &&
                               primitive.points[0].x <= 0;
            if (legendText || frame || primitive.kind == RecordingDevice::Kind::ClipRect ||
                primitive.kind == RecordingDevice::Kind::ClipPolygon) {
                continue;
            }
            for (const DevicePoint& p : primitive.points) {
                EXPECT_GE(p.x, 6) << width;
                EXPECT_LE(p.x, width - 6) << width;
                leftmost = std::min(leftmost, p.x);
                rightmost = std::max(rightmost, p.x);
                lowest = std::min(lowest, p.y);
                highest = std::max(highest, p.y);
                if (p.x >= legend.left) {
                    EXPECT_GT(p.y, legend.bottom) << "clear of the legend at " << width;
                }
            }
        }
        EXPECT_GE(lowest, 6) << width;
        EXPECT_LE(highest, height - 6) << width;
        EXPECT_TRUE(rightmost - leftmost > 0.9 * (width - 12) || highest - lowest > 0.9 * (height - 12))
            << width << ": " << leftmost << ".." << rightmost << " by " << lowest << ".." << highest;
    }
}

}  // namespace
}  // namespace nivaro
