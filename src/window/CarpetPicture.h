#pragma once

#include <QImage>

#include "engine/DerivedResults.h"
#include "engine/SimulationState.h"

namespace nivaro {

// The carpet's three planes as an RGB picture: row i of the picture is grid
// row i, column j grid column j.
QImage CarpetPlanesPicture(const SimulationState& state);

// The picture the 2D page shows: the carpet's planes, or Q when it is asked
// for and computed, with the sampled paths over them. Reads only the
// results, so that it can be composed off the window's thread.
QImage ComposeCarpetPicture(const SimulationState& state, const DerivedResults& derived, bool quantumPotential);

}  // namespace nivaro
