#include <gtest/gtest.h>

#include "configuration/WindowSession.h"

namespace nivaro {
namespace {

TEST(WindowSession, RoundTripsInItsOwnSectionAndKeepsEveryOtherKey)
{
    IniFile file = IniFile::Parse("; settings\n[PARAMETERS]\nslits=5\n\n[2D]\nnx=400\n");
    WindowSession session;
    session.left = -20;
    session.width = 1200;
    session.height = 800;
    session.maximized = false;
    session.carpetPage = true;
    session.rotation = 10;
    session.contrast = 3;
    session.trajectories = false;
    session.nanometreLabels = false;
    session.saveFolder = "/home/a user/figures";
    session.quantumPotentialSurface = true;
    session.quantumPotentialCarpet = true;
    session.sampledStarts = true;
    session.trajectoryColour = "Red";
    session.spectrum = true;
    session.colourMap = "cividis";
    session.logarithmicSpectrum = false;
    WriteWindowSession(file, session);
    EXPECT_EQ(file.Text().rfind("; settings\n[PARAMETERS]\nslits=5\n\n[2D]\nnx=400\n", 0), 0u) << file.Text();

    const WindowSession read = ReadWindowSession(IniFile::Parse(file.Text()));
    EXPECT_EQ(read.left, -20);
    EXPECT_EQ(read.width, 1200);
    EXPECT_FALSE(read.maximized);
    EXPECT_TRUE(read.carpetPage);
    EXPECT_EQ(read.rotation, 10);
    EXPECT_EQ(read.elevation, 304);
    EXPECT_EQ(read.contrast, 3);
    EXPECT_FALSE(read.trajectories);
    EXPECT_FALSE(read.nanometreLabels);
    EXPECT_EQ(read.saveFolder, "/home/a user/figures");
    EXPECT_TRUE(read.quantumPotentialSurface);
    EXPECT_TRUE(read.quantumPotentialCarpet);
    EXPECT_TRUE(read.sampledStarts);
    EXPECT_EQ(read.trajectoryColour, "Red");
    EXPECT_TRUE(read.spectrum);
    EXPECT_EQ(read.colourMap, "cividis");
    EXPECT_FALSE(read.logarithmicSpectrum);
}

TEST(WindowSession, ValuesThatDoNotReadKeepTheirDefaults)
{
    const WindowSession read = ReadWindowSession(IniFile::Parse("[WINDOW]\nwidth=wide\nrotation=\ncontrast=2.5\n"));
    const WindowSession defaults;
    EXPECT_EQ(read.width, 0);
    EXPECT_EQ(read.rotation, defaults.rotation);
    EXPECT_EQ(read.contrast, defaults.contrast);
    EXPECT_TRUE(read.maximized);
    EXPECT_EQ(read.trajectoryColour, "Blue") << "a text the file does not hold";
}

}  // namespace
}  // namespace nivaro
