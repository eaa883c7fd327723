#include "CarpetPicture.h"

#include <algorithm>
#include <cmath>

#include "QuantumPotentialMap.h"
#include "carpet/CarpetPixels.h"

namespace nivaro {

QImage CarpetPlanesPicture(const SimulationState& state)
{
    QImage picture(state.grid.nz, state.grid.nx, QImage::Format_RGB888);
    for (int row = 0; row < state.grid.nx; ++row) {
        InterleaveRgbRow(state.carpetRed, state.carpetGreen, state.carpetBlue, row, picture.scanLine(row));
    }
    return picture;
}

namespace {

// Each path passing a pixel darkens it by a share of what is left, chosen
// so that the busiest pixel is nine tenths dark: where many pass the carpet
// darkens like |psi|^2, and a lone path still shows faintly.
double PathOpacity(const std::vector<std::uint32_t>& coverage)
{
    constexpr double kFaintest = 0.05;
    const std::uint32_t busiest = coverage.empty() ? 0 : *std::max_element(coverage.begin(), coverage.end());
    return busiest == 0 ? kFaintest : std::max(kFaintest, 1 - std::pow(0.1, 1.0 / busiest));
}

void DrawSampledPaths(const std::vector<std::uint32_t>& coverage, QImage& picture)
{
    const int rows = picture.height();
    const int columns = picture.width();
    const double pathOpacity = PathOpacity(coverage);
    const QColor ink(20, 20, 110);
    for (int row = 0; row < rows; ++row) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(row));
        for (int column = 0; column < columns; ++column) {
            const std::uint32_t passes = coverage[static_cast<std::size_t>(row) * columns + column];
            if (passes > 0) {
                const double opacity = 1 - std::pow(1 - pathOpacity, passes);
                const auto mix = [opacity](int under, int over) {
                    return static_cast<int>(std::lround(under + (over - under) * opacity));
                };
                line[column] = qRgb(mix(qRed(line[column]), ink.red()), mix(qGreen(line[column]), ink.green()),
                                    mix(qBlue(line[column]), ink.blue()));
            }
        }
    }
}

}  // namespace

// The picture comes straight from the planes, so it shows even when
// "out.bmp" could not be written.
QImage ComposeCarpetPicture(const SimulationState& state, const DerivedResults& derived, bool quantumPotential,
                            ColourMapKind kind)
{
    QImage picture;
    if (quantumPotential && derived.HasQuantumPotential()) {
        picture = QuantumPotentialPicture(derived.quantumPotential, DivergingMap(*derived.quantumPotentialRange, kind));
    } else if (derived.ensemble && derived.ensembleChoices.alone) {
        picture = QImage(state.grid.nz, state.grid.nx, QImage::Format_RGB32);
        picture.fill(Qt::white);
    } else {
        picture = CarpetPlanesPicture(state).convertToFormat(QImage::Format_RGB32);
    }
    if (derived.ensemble) {
        DrawSampledPaths(derived.ensemble->coverage, picture);
    }
    return picture;
}

}  // namespace nivaro
