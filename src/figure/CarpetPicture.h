#pragma once

#include <QImage>

#include "chart/ColourMap.h"
#include "engine/DerivedResults.h"
#include "engine/SimulationState.h"

namespace nivaro {

// The carpet's three planes as an RGB picture: row i of the picture is grid
// row i, column j grid column j.
QImage CarpetPlanesPicture(const SimulationState& state);

// The picture the 2D page shows: the carpet's planes, or Q when it is asked
// for and computed (in Q's colours under the colour map), with the sampled
// paths over them. Reads only the results, so that it can be composed off
// the window's thread.
QImage ComposeCarpetPicture(const SimulationState& state, const DerivedResults& derived, bool quantumPotential,
                            ColourMapKind kind = ColourMapKind::GreenRed);

}  // namespace nivaro
