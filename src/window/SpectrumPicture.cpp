#include "SpectrumPicture.h"

#include <algorithm>
#include <cmath>

namespace nivaro {

QImage SpectrumPicture(const RealMatrixT& magnitudes)
{
    constexpr double kDecades = 6.0;
    const int rows = magnitudes.Rows();
    const int columns = magnitudes.Cols();
    QImage picture(columns, rows, QImage::Format_Grayscale8);
    const double largest = rows > 0 && columns > 0 ? magnitudes.MaxElement() : 0.0;
    for (int row = 0; row < rows; ++row) {
        const double* source = magnitudes[(row + rows / 2) % rows];
        uchar* line = picture.scanLine(row);
        for (int column = 0; column < columns; ++column) {
            const double magnitude = source[(column + columns / 2) % columns];
            const double depth = largest > 0 && magnitude > 0 ? std::log10(magnitude / largest) / kDecades + 1 : 0;
            line[column] = static_cast<uchar>(std::lround(255 * (1 - std::clamp(depth, 0.0, 1.0))));
        }
    }
    return picture;
}

}  // namespace nivaro
