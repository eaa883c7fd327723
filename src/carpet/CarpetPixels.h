#pragma once

#include <cstdint>

#include "numeric/Matrices.h"

namespace nivaro {

// The red, green and blue planes of the carpet picture; element (i, j) is
// picture line i (x index) and column j (z index).
struct CarpetPlanesRef {
    UcharMatrix& red;
    UcharMatrix& green;
    UcharMatrix& blue;
};

// Channels a trajectory clears at each pixel it crosses; the grey level stays
// in the others, so on white it shows the pure hue.
enum ChannelMask : std::uint8_t {
    kRedChannel = 1,
    kGreenChannel = 2,
    kBlueChannel = 4,
};

// The channels of a data-file colour letter (case-insensitive): B blue,
// C cyan, G green, R red, X black, Y yellow, anything else magenta.
std::uint8_t ChannelsClearedBy(char letter);
inline constexpr std::uint8_t kRegularTrajectoryChannels = kGreenChannel;  // magenta

void ClearChannels(CarpetPlanesRef planes, int row, int column, std::uint8_t channels);

// Writes a colour given as 0x00BBGGRR (red in the low byte) into all planes.
void PaintColour(CarpetPlanesRef planes, int row, int column, std::uint32_t colour);

// One picture line as interleaved red, green, blue bytes, for the encoders.
void InterleaveRgbRow(const UcharMatrix& red, const UcharMatrix& green, const UcharMatrix& blue, int row,
                      std::uint8_t* rgb);

// Fills rows x columns of the planes with the negative grey level of the
// density after the contrast (the square root taken n times, n < 1: none),
// scaled by 255 * Ps / max over the whole grid: h = floor(value), level
// 255 - h below 255, else 0. A density whose maximum is not positive is all
// white. The density itself is not changed.
void FillGreyCarpet(const RealMatrixT& density, int contrast, double scaleP, CarpetPlanesRef planes, int rows,
                    int columns);

// That rule for single values, for a scale beside the carpet: the grey level
// of a density value when the grid's largest density is largest.
class CarpetGreyScale {
public:
    CarpetGreyScale(double largest, int contrast, double scaleP);
    std::uint8_t Level(double value) const;

private:
    int contrast_;
    bool blank_;
    long double factor_;
};

}  // namespace nivaro
