#include <gtest/gtest.h>

#include "engine/DensityGrid.h"
#include "engine/SurfaceData.h"

namespace nivaro {
namespace {

class SurfaceData : public testing::Test {
protected:
    SurfaceData()
    {
        SilentProgress progress;
        ComputeDensityGrid(state, progress);
    }
    SimulationState state;
};

TEST_F(SurfaceData, DefaultGridGivesSeventyFiveBlocksEachWay)
{
    const std::vector<SurfacePoint> points = SurfaceBlockMaxima(state);
    ASSERT_EQ(points.size(), 5625u);
    EXPECT_EQ(points.front().x, -37.0);
    EXPECT_EQ(points.back().x, 37.0);
    EXPECT_EQ(points.front().z, 0.0);
    EXPECT_EQ(points[74].z, 74.0);
    double highest = 0.0;
    for (const SurfacePoint& p : points) {
        highest = std::max(highest, p.y);
    }
    EXPECT_EQ(highest, state.densityField.MaxElement()) << "P-scale 1 keeps the highest block at the maximum";
    double blockMax = 0.0;
    for (int i = 4; i < 8; ++i) {
        for (int j = 8; j < 12; ++j) {
            blockMax = std::max(blockMax, state.densityField[i][j]);
        }
    }
    EXPECT_EQ(points[1 * 75 + 2].y, blockMax);
}

TEST_F(SurfaceData, PScaleCutsTheSurface)
{
    ASSERT_TRUE(state.scaleP.Parse("2:1"));
    double highest = 0.0;
    for (const SurfacePoint& p : SurfaceBlockMaxima(state)) {
        highest = std::max(highest, p.y);
    }
    EXPECT_EQ(highest, state.densityField.MaxElement() / 2);
}

TEST_F(SurfaceData, TwentyFourTrajectoriesFollowTheSurface)
{
    const std::vector<std::vector<SurfacePoint>> trajectories = SurfaceTrajectories(state);
    ASSERT_EQ(trajectories.size(), 24u);
    const std::vector<SurfacePoint>& first = trajectories.front();
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first.front().x, (102.0 - 150) / 4);
    EXPECT_EQ(first.front().z, 0.0);
    EXPECT_EQ(first.front().y, state.densityField[102][0] * 1.001);
    for (const auto& trajectory : trajectories) {
        for (const SurfacePoint& p : trajectory) {
            ASSERT_LE(p.z, 75.0);
        }
    }
}

TEST_F(SurfaceData, BlockCentresSampleTheMiddlePointOfEachBlock)
{
    const std::vector<SurfacePoint> points = SurfaceBlockCentres(state, state.densityField);
    ASSERT_EQ(points.size(), 75u * 75u);
    EXPECT_EQ(points[0].x, -37.0);
    EXPECT_EQ(points[0].y, state.densityField[2][2]);
    EXPECT_EQ(points[75 * 40 + 7].y, state.densityField[40 * 4 + 2][7 * 4 + 2]);
}

}  // namespace
}  // namespace nivaro
