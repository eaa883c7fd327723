#include <gtest/gtest.h>

#include <QImage>
#include <stdexcept>

#include "TestFiles.h"
#include "engine/CarpetPass.h"
#include "engine/DensityGrid.h"
#include "figure/Figure.h"
#include "figure/ViewFigures.h"

namespace nivaro {
namespace {

// A small picture figure whose values were clipped, in every format.
Figure ClippedPicture()
{
    Figure figure;
    figure.title = "two slits";
    figure.picture = QImage(40, 20, QImage::Format_RGB32);
    figure.picture.fill(Qt::gray);
    figure.horizontal = {0.0, 40.0, "z [nm]"};
    figure.vertical = {-10.0, 10.0, "x [nm]"};
    figure.colourScale = FigureColourScale{[](double v) { return QColor::fromRgbF(v, v, v); }, 0.0, 0.5,
                                           "norm(PSI)", 0.5};
    return figure;
}

TEST(Figure, TheFilesHoldTheirTextAndTheirFormat)
{
    const ScratchFolder folder;
    const Figure figure = ClippedPicture();
    const FigurePage page{800, 600, 100};

    SaveFigure(figure, (folder / "f.svg").string(), page);
    const std::string svg = ReadWholeFile(folder / "f.svg");
    for (const char* text : {"z [nm]", "x [nm]", "norm(PSI)", "clipped above 0.5", "two slits", ">-10<", ">40<"}) {
        EXPECT_NE(svg.find(text), std::string::npos) << text;
    }

    SaveFigure(figure, (folder / "f.pdf").string(), page);
    EXPECT_EQ(ReadWholeFile(folder / "f.pdf").substr(0, 5), "%PDF-");

    SaveFigure(figure, (folder / "f.PNG").string(), page);
    const QImage png(QString::fromStdString((folder / "f.PNG").string()));
    EXPECT_EQ(png.size(), QSize(800, 600));
    EXPECT_EQ(png.pixelColor(0, 0), QColor(Qt::white));

    EXPECT_THROW(SaveFigure(figure, (folder / "f.jpg").string(), page), std::invalid_argument);
    EXPECT_FALSE(std::filesystem::exists(folder / "f.jpg"));
    EXPECT_TRUE(IsFigureFileName("a/b.Svg"));
    EXPECT_FALSE(IsFigureFileName("b.bmp"));
}

// The scale's colours run from the lowest value at the bottom to the highest
// at the top, under a flat hatched band for the clipped values.
TEST(Figure, TheColourScaleRisesAndMarksWhatWasClipped)
{
    QImage image(200, 400, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        PaintColourScale(painter, *ClippedPicture().colourScale, QRectF(10, 10, 180, 380));
    }
    int darkest = 255;
    int lightest = 0;
    int hatched = 0;
    for (int y = 0; y < 400; ++y) {
        const QColor c = image.pixelColor(14, y);
        if (c.red() < 5) {
            ++hatched;
        }
        if (y > 200) {
            darkest = std::min(darkest, c.red());
        } else if (y > 100) {
            lightest = std::max(lightest, c.red());
        }
    }
    EXPECT_LT(darkest, 20) << "the lowest value, black, at the bottom";
    EXPECT_GT(lightest, 100) << "lighter towards the top";
    EXPECT_GT(hatched, 0) << "the clipped band's hatching";
}

// The carpet's figure shows x rising upwards: grid row 0, the most
// negative x, along the bottom; its scale runs over the density shown.
TEST(Figure, TheCarpetRisesUpwardsOverItsGreyScale)
{
    SimulationState state;
    state.grid.nx = state.grid.nz = 40;
    SilentProgress progress;
    ComputeDensityGrid(state, progress);
    RenderCarpet(state, CarpetOptions{1, false, std::nullopt}, progress);
    QImage picture(40, 40, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (int column = 0; column < 40; ++column) {
        picture.setPixelColor(column, 0, Qt::red);
    }
    const Figure figure = CarpetFigure(state, picture, CarpetScale(state, 1));
    EXPECT_EQ(figure.picture.pixelColor(5, 39), QColor(Qt::red));
    EXPECT_LT(figure.vertical.first, 0.0);
    EXPECT_GT(figure.vertical.last, 0.0);
    EXPECT_NEAR(figure.vertical.last - figure.vertical.first, 40 * state.grid.dx * 1e9, 1e-9) << "whole pixels, in nm";
    const FigureColourScale& scale = *figure.colourScale;
    EXPECT_EQ(scale.highest, state.densityField.MaxElement());
    EXPECT_FALSE(scale.clippedAbove.has_value());
    EXPECT_EQ(scale.colourOf(0.0), QColor(255, 255, 255));
    for (const int row : {0, 10, 20}) {
        const int level = state.carpetRed[row][5];
        EXPECT_EQ(scale.colourOf(state.densityField[row][5]), QColor(level, level, level)) << "the carpet's own grey, row " << row;
    }
}

}  // namespace
}  // namespace nivaro
