#pragma once

#include <string>
#include <vector>

#include "engine/PartialCoherence.h"

namespace nivaro {

// "z_m,z_over_zt,visibility", then one line a column, in the shortest form
// that reads back the same; zt is the Talbot length 2 d^2 / lambda.
std::string VisibilityCsv(const std::vector<VisibilityPoint>& points, double talbotLength);

}  // namespace nivaro
