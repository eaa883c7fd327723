#pragma once

#include <cstdint>

namespace nivaro {

// 0x00BBGGRR: red in the low byte.
using TColor = std::uint32_t;

inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clAutomatic = 0x20000000;  // use the colour computed for the point

inline constexpr TColor RgbColor(int red, int green, int blue)
{
    return static_cast<TColor>(red) | (static_cast<TColor>(green) << 8) | (static_cast<TColor>(blue) << 16);
}

}  // namespace nivaro
