#pragma once

#include <cstdint>

namespace nivaro {

// 0x00BBGGRR: red in the low byte.
using Rgb = std::uint32_t;

inline constexpr Rgb kNoColour = 0x1FFFFFFF;
inline constexpr Rgb kAutomaticColour = 0x20000000;  // use the colour computed for the point

inline constexpr Rgb RgbColor(int red, int green, int blue)
{
    return static_cast<Rgb>(red) | (static_cast<Rgb>(green) << 8) | (static_cast<Rgb>(blue) << 16);
}

}  // namespace nivaro
