#pragma once

#include <QImage>

#include "engine/SimulationState.h"

namespace nivaro {

// The carpet's three planes as an RGB picture: row i of the picture is grid
// row i, column j grid column j.
QImage CarpetPlanesPicture(const SimulationState& state);

}  // namespace nivaro
