#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "carpet/CarpetPixels.h"

namespace nivaro {
namespace {

struct Planes {
    UcharMatrix red{1, 4};
    UcharMatrix green{1, 4};
    UcharMatrix blue{1, 4};
    CarpetPlanesRef Ref() { return {red, green, blue}; }
    std::array<int, 3> At(int column) const { return {red[0][column], green[0][column], blue[0][column]}; }
};

// Grey levels of one row of densities at a contrast and P-scale.
std::array<int, 4> GreyLevels(std::array<double, 4> density, int contrast, double scaleP)
{
    RealMatrixT grid(1, 4);
    std::copy(density.begin(), density.end(), grid[0]);
    Planes planes;
    FillGreyCarpet(grid, contrast, scaleP, planes.Ref(), 1, 4);
    EXPECT_TRUE(std::equal(density.begin(), density.end(), grid[0])) << "the density is not changed";
    std::array<int, 4> levels{};
    for (int j = 0; j < 4; ++j) {
        EXPECT_EQ(planes.red[0][j], planes.green[0][j]);
        EXPECT_EQ(planes.red[0][j], planes.blue[0][j]);
        levels[static_cast<std::size_t>(j)] = planes.red[0][j];
    }
    return levels;
}

TEST(CarpetPixels, GreyLevelsAreANegativeOfTheScaledDensity)
{
    EXPECT_EQ(GreyLevels({0.0, 1.0, 0.5, 0.25}, 0, 1.0), (std::array<int, 4>{255, 0, 128, 192}));
    EXPECT_EQ(GreyLevels({0.0, 1.0, 0.5, 0.25}, 1, 1.0), (std::array<int, 4>{255, 0, 75, 128}));
    EXPECT_EQ(GreyLevels({0.0, 1.0, 0.5, 0.49}, 0, 2.0), (std::array<int, 4>{255, 0, 0, 6}));
    EXPECT_EQ(GreyLevels({0.0, 1.0, 0.5, 0.25}, -3, 1.0), GreyLevels({0.0, 1.0, 0.5, 0.25}, 0, 1.0));
    EXPECT_EQ(GreyLevels({0.0, 0.0, 0.0, 0.0}, 2, 1.0), (std::array<int, 4>{255, 255, 255, 255}))
        << "an empty density is white, not undefined";
}

TEST(CarpetPixels, TrajectoryLettersClearChannels)
{
    struct Case {
        char letter;
        std::array<int, 3> onWhite;
    };
    const Case cases[] = {{'B', {0, 0, 255}},     {'c', {0, 255, 255}}, {'G', {0, 255, 0}},
                          {'r', {255, 0, 0}},     {'X', {0, 0, 0}},     {'Y', {255, 255, 0}},
                          {'M', {255, 0, 255}},   {'Q', {255, 0, 255}}};
    for (const Case& c : cases) {
        Planes planes;
        for (int j = 0; j < 4; ++j) {
            PaintColour(planes.Ref(), 0, j, 0xFFFFFF);
        }
        ClearChannels(planes.Ref(), 0, 1, ChannelsClearedBy(c.letter));
        EXPECT_EQ(planes.At(1), c.onWhite) << c.letter;
        EXPECT_EQ(planes.At(0), (std::array<int, 3>{255, 255, 255}));
    }
    EXPECT_EQ(kRegularTrajectoryChannels, ChannelsClearedBy('M'));
}

TEST(CarpetPixels, ClearingKeepsTheGreyInTheOtherChannels)
{
    Planes planes;
    PaintColour(planes.Ref(), 0, 2, 0x808080);
    ClearChannels(planes.Ref(), 0, 2, kRegularTrajectoryChannels);
    EXPECT_EQ(planes.At(2), (std::array<int, 3>{128, 0, 128}));
    PaintColour(planes.Ref(), 0, 3, 0xFF0000);  // blue in the high byte
    EXPECT_EQ(planes.At(3), (std::array<int, 3>{0, 0, 255}));
}

}  // namespace
}  // namespace nivaro
