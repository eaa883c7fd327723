#include "SpectrumPicture.h"

#include <algorithm>
#include <cmath>

#include "platform/QPainterDevice.h"

namespace nivaro {

QImage SpectrumPicture(const RealMatrixT& magnitudes, ColourMapKind kind)
{
    const int rows = magnitudes.Rows();
    const int columns = magnitudes.Cols();
    QImage picture(columns, rows, QImage::Format_RGB32);
    const double largest = rows > 0 && columns > 0 ? magnitudes.MaxElement() : 0.0;
    for (int row = 0; row < rows; ++row) {
        const double* source = magnitudes[(row + rows / 2) % rows];
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(row));
        for (int column = 0; column < columns; ++column) {
            const double magnitude = source[(column + columns / 2) % columns];
            const double depth =
                largest > 0 && magnitude > 0 ? std::log10(magnitude / largest) / kSpectrumDecades + 1 : 0;
            line[column] = ToQColor(ColourMapAt(SpectrumMap(kind), std::clamp(depth, 0.0, 1.0)))
                               .rgb();
        }
    }
    return picture;
}

}  // namespace nivaro
