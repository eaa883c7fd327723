#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Rgb.h"

namespace nivaro {

// The colour maps a user can choose for the surface, the quantum potential
// and the spectrum. Under green-red every view keeps its own colours (the
// surface its lime-to-red palette, the spectrum grey, Q blue-white-red);
// the others colour all three alike, perceptually even and readable in grey
// print or with a colour vision deficiency.
enum class ColourMapKind { GreenRed, Viridis, Cividis, Grey };

const std::vector<ColourMapKind>& ColourMapKinds();
// "green-red", "viridis", "cividis", "grey": the command line's and the
// session's words.
std::string ColourMapName(ColourMapKind kind);
std::optional<ColourMapKind> ColourMapNamed(std::string_view name);

// The colour at a fraction of the way from the lowest value (0) to the
// highest (1); outside that, the nearest end. Green-red is the surface's
// palette from its lowest step up.
Rgb ColourMapAt(ColourMapKind kind, double fraction);

}  // namespace nivaro
