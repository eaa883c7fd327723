#include "CarpetPicture.h"

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

}  // namespace nivaro
