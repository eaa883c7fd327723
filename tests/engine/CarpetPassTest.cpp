#include <gtest/gtest.h>

#include <array>
#include <set>
#include <vector>

#include "EngineTestSupport.h"
#include "TestFiles.h"
#include "engine/CarpetPass.h"
#include "engine/DensityGrid.h"
#include "engine/SpectrumTransform.h"
#include "engine/TrajectoryStarts.h"

namespace nivaro {
namespace {

class CarpetPass : public testing::Test {
protected:
    CarpetPass()
    {
        SilentProgress silent;
        ComputeDensityGrid(state, silent);
    }

    std::array<int, 3> Pixel(int row, int column) const
    {
        return {state.carpetRed[row][column], state.carpetGreen[row][column], state.carpetBlue[row][column]};
    }

    std::string WriteDataFile(const std::string& text)
    {
        const auto path = folder / "nivaro.dat";
        std::ofstream(path) << text;
        return path.string();
    }

    SimulationState state;
    RecordingProgress progress;
    ScratchFolder folder;
};

TEST_F(CarpetPass, WithoutTrajectoriesTheCarpetIsGreyAndNoStartGridIsKept)
{
    state.trajectoryStartGrid.Resize(300, 300);
    RenderCarpet(state, {.contrast = 0, .showTrajectories = false, .dataFile = std::nullopt}, progress);
    for (int i = 0; i < 300; i += 7) {
        for (int j = 0; j < 300; j += 7) {
            const std::array<int, 3> pixel = Pixel(i, j);
            ASSERT_EQ(pixel[0], pixel[1]);
            ASSERT_EQ(pixel[0], pixel[2]);
        }
    }
    EXPECT_EQ(Pixel(0, 0)[0], 255) << "no density far from the slits: white";
    EXPECT_EQ(state.trajectoryStartGrid.Rows(), 0);
    EXPECT_TRUE(progress.reports.empty());
}

TEST_F(CarpetPass, RegularTrajectoriesAreMagentaAndRecordTheirStarts)
{
    state.trajectoryStartGrid.Resize(300, 300);
    state.trajectoryStartGrid[3][4] = 42.0;
    RenderCarpet(state, {}, progress);
    EXPECT_EQ(state.trajectoryStartGrid[3][4], 0.0) << "cleared before drawing";
    EXPECT_EQ(state.trajectoryStartGrid[111][0], 111.0);
    const std::array<int, 3> pixel = Pixel(111, 0);
    EXPECT_EQ(pixel[1], 0);
    EXPECT_EQ(pixel[0], pixel[2]);

    std::set<double> starts;
    for (int i = 0; i < 300; ++i) {
        starts.insert(state.trajectoryStartGrid[i][0]);
    }
    EXPECT_EQ(*starts.rbegin(), 149.5);
    ASSERT_FALSE(progress.reports.empty());
    EXPECT_EQ(progress.reports.front().kind, ProgressKind::CarpetRegularStarts);
    EXPECT_EQ(progress.reports.front().percent, 67) << "100 * 100.5 / 150, truncated";
    EXPECT_EQ(progress.reports.back().percent, 99);
}

TEST_F(CarpetPass, DataFileTrajectoriesUseTheirLettersAndPositions)
{
    const std::string path = WriteDataFile("0.5\n-1.5 y\n");
    RenderCarpet(state, {.contrast = 1, .showTrajectories = true, .dataFile = path}, progress);
    EXPECT_EQ(state.trajectoryStartGrid[175][0], 175.0);
    EXPECT_EQ(state.trajectoryStartGrid[75][0], 75.0);
    EXPECT_EQ(Pixel(75, 0), (std::array<int, 3>{255, 255, 0})) << "yellow over white";
    EXPECT_EQ(Pixel(175, 0)[1], 0);
    EXPECT_EQ(state.trajectoryStartGrid[100][0], 0.0) << "no regular starts";
    ASSERT_FALSE(progress.reports.empty());
    EXPECT_EQ(progress.reports.front().kind, ProgressKind::CarpetDataFileStarts);
    EXPECT_GE(progress.reports.back().percent, 50) << "the first of two trajectories runs to the last column";
    EXPECT_LT(progress.reports.back().percent, 100);
}

TEST_F(CarpetPass, AMissingDataFileFallsBackAndAFileWithoutNumbersDrawsNothing)
{
    RenderCarpet(state, {.contrast = 1, .showTrajectories = true, .dataFile = (folder / "none.dat").string()}, progress);
    EXPECT_EQ(state.trajectoryStartGrid[111][0], 111.0);

    const std::string words = WriteDataFile("not a number\n0.5\n");
    RenderCarpet(state, {.contrast = 1, .showTrajectories = true, .dataFile = words}, progress);
    for (int i = 0; i < 300; ++i) {
        ASSERT_EQ(state.trajectoryStartGrid[i][0], 0.0);
        ASSERT_EQ(Pixel(i, 0)[1], Pixel(i, 0)[0]) << "grey only";
    }
}

TEST_F(CarpetPass, ParallelTracesPaintThePictureOfOneTraceAfterTheOther)
{
    state.parameters.slits = 5;
    state.grid.dxb = 0.25;  // close starts, so that trajectories cross the same pixels
    SilentProgress silent;
    ComputeDensityGrid(state, silent);
    state.threads = 1;
    RenderCarpet(state, {}, silent);
    std::vector<int> red;
    std::vector<double> starts;
    for (int i = 0; i < 300; ++i) {
        red.insert(red.end(), state.carpetRed[i], state.carpetRed[i] + 300);
        starts.insert(starts.end(), state.trajectoryStartGrid[i], state.trajectoryStartGrid[i] + 300);
    }
    state.threads = 3;
    RenderCarpet(state, {}, silent);
    for (int i = 0; i < 300; ++i) {
        for (int j = 0; j < 300; ++j) {
            ASSERT_EQ(state.carpetRed[i][j], red[i * 300 + j]) << i << "," << j;
            ASSERT_EQ(state.trajectoryStartGrid[i][j], starts[i * 300 + j]) << "the later start wins: " << i << "," << j;
        }
    }
}

TEST_F(CarpetPass, AStopEndsTheRegularStartsAfterTheCurrentTrajectory)
{
    RecordingProgress stopping(&state, 67);
    state.threads = 2;
    RenderCarpet(state, {}, stopping);
    EXPECT_EQ(stopping.reports.size(), 1u);
    EXPECT_EQ(state.trajectoryStartGrid[100][0], 100.5) << "the first trajectory is drawn";
    EXPECT_EQ(state.trajectoryStartGrid[102][0], 0.0);
}

TEST_F(CarpetPass, AStopCutsEachDataFileTrajectoryToOneStep)
{
    state.stopRequested = true;
    RenderCarpet(state, {.contrast = 1, .showTrajectories = true, .dataFile = WriteDataFile("0.5\n-0.5 b\n")}, progress);
    EXPECT_EQ(state.trajectoryStartGrid[175][0], 175.0);
    EXPECT_EQ(state.trajectoryStartGrid[125][0], 125.0) << "the rest of the file is still read";
    EXPECT_EQ(state.trajectoryStartGrid[175][1], 0.0);
    EXPECT_EQ(state.trajectoryStartGrid[175][2], 0.0);
}

TEST_F(CarpetPass, ADensityOfAnotherShapeIsRefusedAndThePlanesFollowTheGrid)
{
    RenderCarpet(state, {.contrast = 1, .showTrajectories = false, .dataFile = std::nullopt}, progress);
    EXPECT_EQ(state.carpetRed.Rows(), state.grid.nx);
    EXPECT_EQ(state.trajectoryStartGrid.Rows(), 0) << "no trajectory drawn, no start to remember";
    state.grid.nx += 1;
    EXPECT_THROW(RenderCarpet(state, {}, progress), StaleDensityError);
}

}  // namespace
}  // namespace nivaro
