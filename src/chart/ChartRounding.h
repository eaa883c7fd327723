#pragma once

#include <cmath>

namespace nivaro {

// Real to pixel: round to nearest, ties to even, as the processor does.
inline int Round(double value)
{
    return static_cast<int>(std::nearbyint(value));
}

}  // namespace nivaro
