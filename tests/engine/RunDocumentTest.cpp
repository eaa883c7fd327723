#include <gtest/gtest.h>

#include "engine/CarpetPass.h"
#include "engine/DensityGrid.h"
#include "engine/RunDocument.h"

namespace nivaro {
namespace {

TEST(RunDocument, ANewDocumentHasTheSettingsAndTakingItSwapsOnlyWhatWasComputed)
{
    SimulationState shown;
    shown.grid.nx = 40;
    shown.grid.nz = 30;
    SilentProgress silent;
    ComputeDensityGrid(shown, silent);
    RenderCarpet(shown, CarpetOptions{}, silent);
    const double* shownDensity = shown.densityField.Data();
    const std::uint8_t* shownPlane = shown.carpetRed.Data();

    const std::unique_ptr<SimulationState> carpet = NewDocumentLike(shown);
    EXPECT_EQ(carpet->grid.nx, 40);
    EXPECT_EQ(carpet->densityField.Rows(), 0) << "no grid is copied";
    carpet->densityField.Reshape(40, 30);
    shown.densityField.CopyTo(carpet->densityField);
    RenderCarpet(*carpet, CarpetOptions{}, silent);
    TakeComputedResults(shown, *carpet, ResultGrids::Carpet);
    EXPECT_EQ(shown.densityField.Data(), shownDensity) << "a carpet pass leaves the density shown";
    EXPECT_NE(shown.carpetRed.Data(), shownPlane);
    EXPECT_EQ(carpet->carpetRed.Data(), shownPlane) << "the planes shown before go with the dropped document";

    const std::unique_ptr<SimulationState> density = NewDocumentLike(shown);
    density->parameters.slits = 5;
    density->grid.nx = 50;
    ComputeDensityGrid(*density, silent);
    TakeComputedResults(shown, *density, ResultGrids::All);
    EXPECT_EQ(shown.parameters.slits, 5);
    EXPECT_EQ(shown.densityField.Rows(), 50);
    EXPECT_EQ(shown.carpetRed.Rows(), 0) << "a new density has no carpet yet";
}

}  // namespace
}  // namespace nivaro
