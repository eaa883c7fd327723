#include "CarpetPixels.h"

#include <cctype>
#include <cmath>

namespace nivaro {

std::uint8_t ChannelsClearedBy(char letter)
{
    switch (std::toupper(static_cast<unsigned char>(letter))) {
    case 'B':
        return kRedChannel | kGreenChannel;
    case 'C':
        return kRedChannel;
    case 'G':
        return kRedChannel | kBlueChannel;
    case 'R':
        return kGreenChannel | kBlueChannel;
    case 'X':
        return kRedChannel | kGreenChannel | kBlueChannel;
    case 'Y':
        return kBlueChannel;
    default:
        return kGreenChannel;
    }
}

void ClearChannels(CarpetPlanesRef planes, int row, int column, std::uint8_t channels)
{
    if ((channels & kRedChannel) != 0) {
        planes.red[row][column] = 0;
    }
    if ((channels & kGreenChannel) != 0) {
        planes.green[row][column] = 0;
    }
    if ((channels & kBlueChannel) != 0) {
        planes.blue[row][column] = 0;
    }
}

void PaintColour(CarpetPlanesRef planes, int row, int column, std::uint32_t colour)
{
    planes.red[row][column] = static_cast<std::uint8_t>(colour & 0xFF);
    planes.green[row][column] = static_cast<std::uint8_t>((colour >> 8) & 0xFF);
    planes.blue[row][column] = static_cast<std::uint8_t>((colour >> 16) & 0xFF);
}

void InterleaveRgbRow(const UcharMatrix& red, const UcharMatrix& green, const UcharMatrix& blue, int row,
                      std::uint8_t* rgb)
{
    for (int column = 0; column < red.Cols(); ++column) {
        rgb[3 * column] = red[row][column];
        rgb[3 * column + 1] = green[row][column];
        rgb[3 * column + 2] = blue[row][column];
    }
}

namespace {

// Contrast: the square root taken n times (n < 1: none).
double WithContrast(double value, int contrast)
{
    for (int pass = 0; pass < contrast; ++pass) {
        value = std::sqrt(value);
    }
    return value;
}

std::uint8_t GreyLevel(double scaled)
{
    const double h = std::floor(scaled);
    return h < 255.0 ? static_cast<std::uint8_t>(255.0 - h) : 0;
}

}  // namespace

// The square root is monotone, so the largest value after the contrast is
// the contrast of the largest density, and no working copy of the grid is
// needed; the scaling is the matrix scaling's extended-precision product.
CarpetGreyScale::CarpetGreyScale(double largest, int contrast, double scaleP) : contrast_(contrast)
{
    const double maximum = WithContrast(largest, contrast);
    blank_ = !(maximum > 0.0);
    factor_ = blank_ ? 1.0 : 255 * scaleP / maximum;
}

std::uint8_t CarpetGreyScale::Level(double value) const
{
    return blank_ ? 255 : GreyLevel(static_cast<double>(factor_ * WithContrast(value, contrast_)));
}

void FillGreyCarpet(const RealMatrixT& density, int contrast, double scaleP, CarpetPlanesRef planes, int rows,
                    int columns)
{
    const CarpetGreyScale grey(density.MaxElement(), contrast, scaleP);
    for (int i = 0; i < rows; ++i) {
        const double* values = density[i];
        for (int j = 0; j < columns; ++j) {
            const std::uint8_t level = grey.Level(values[j]);
            planes.red[i][j] = level;
            planes.green[i][j] = level;
            planes.blue[i][j] = level;
        }
    }
}

}  // namespace nivaro
