#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "engine/CarpetPass.h"
#include "engine/DensityGrid.h"
#include "engine/KeptResults.h"

namespace nivaro {
namespace {

template <typename Grid>
bool SameGrid(const Grid& a, const Grid& b)
{
    if (a.Rows() != b.Rows() || a.Cols() != b.Cols()) {
        return false;
    }
    for (int row = 0; row < a.Rows(); ++row) {
        if (!std::equal(a[row], a[row] + a.Cols(), b[row])) {
            return false;
        }
    }
    return true;
}

// A finished run to keep, and a second state holding the same results to
// compare with after a cancelled run.
class KeptResultsTest : public testing::Test {
protected:
    KeptResultsTest()
    {
        for (SimulationState* each : {&state, &reference}) {
            each->grid.nx = 40;
            each->grid.nz = 30;
            each->grid.nxb = 8;
            SilentProgress silent;
            ComputeDensityGrid(*each, silent);
            RenderCarpet(*each, CarpetOptions{}, silent);
        }
    }

    void ExpectReferenceResults() const
    {
        EXPECT_EQ(state.grid.nx, reference.grid.nx);
        EXPECT_EQ(state.parameters.slits, reference.parameters.slits);
        EXPECT_TRUE(SameGrid(state.psiField, reference.psiField));
        EXPECT_TRUE(SameGrid(state.densityField, reference.densityField));
        EXPECT_TRUE(SameGrid(state.carpetRed, reference.carpetRed));
        EXPECT_TRUE(SameGrid(state.carpetBlue, reference.carpetBlue));
        EXPECT_TRUE(SameGrid(state.trajectoryStartGrid, reference.trajectoryStartGrid));
    }

    SimulationState state;
    SimulationState reference;
};

TEST_F(KeptResultsTest, ACancelledDensityRunOfAnotherShapeGivesBackEverything)
{
    KeptResults kept(state, KeptResults::Keep::AllGrids);
    state.parameters.slits = 5;
    state.grid.nx = 60;
    RecordingProgress stopping(&state, 40);
    ComputeDensityGrid(state, stopping);
    ASSERT_EQ(state.densityField.Rows(), 60);
    kept.Restore(state);
    ExpectReferenceResults();
}

TEST_F(KeptResultsTest, ACancelledCarpetPassGivesBackThePlanesAndStarts)
{
    KeptResults kept(state, KeptResults::Keep::CarpetGrids);
    CarpetOptions options;
    options.contrast = 3;
    SilentProgress silent;
    RenderCarpet(state, options, silent);
    ASSERT_FALSE(SameGrid(state.carpetRed, reference.carpetRed));
    kept.Restore(state);
    ExpectReferenceResults();
}

}  // namespace
}  // namespace nivaro
