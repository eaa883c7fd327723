#include "ColourMap.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>

namespace nivaro {
namespace {

// 0xRRGGBB, evenly spaced from 0 to 1 (every fourth of the published
// 256-entry tables and the last): linear interpolation between them stays
// within 0.5 (viridis) and 2.5 (cividis) levels of the full tables.
constexpr std::array<std::uint32_t, 65> kViridis = {
    0x440154, 0x46075A, 0x470D60, 0x471365, 0x48186A, 0x481D6F, 0x482374, 0x482878,
    0x472D7B, 0x46327E, 0x453781, 0x443B84, 0x424086, 0x404588, 0x3E4989, 0x3D4E8A,
    0x3B528B, 0x39568C, 0x375B8D, 0x355F8D, 0x33638D, 0x31678E, 0x2F6B8E, 0x2E6F8E,
    0x2C728E, 0x2A768E, 0x297A8E, 0x277E8E, 0x26828E, 0x25858E, 0x23898E, 0x228D8D,
    0x21918C, 0x1F948C, 0x1F988B, 0x1E9C89, 0x1FA088, 0x20A386, 0x22A785, 0x25AB82,
    0x28AE80, 0x2DB27D, 0x32B67A, 0x38B977, 0x3FBC73, 0x46C06F, 0x4EC36B, 0x56C667,
    0x5EC962, 0x67CC5C, 0x70CF57, 0x7AD151, 0x84D44B, 0x8ED645, 0x98D83E, 0xA2DA37,
    0xADDC30, 0xB8DE29, 0xC2DF23, 0xCDE11D, 0xD8E219, 0xE2E418, 0xECE51B, 0xF6E620,
    0xFDE725
};
constexpr std::array<std::uint32_t, 65> kCividis = {
    0x00224E, 0x002554, 0x00285B, 0x002B62, 0x002E6A, 0x003070, 0x053371, 0x123570,
    0x1A386F, 0x213B6E, 0x273E6E, 0x2D416D, 0x32436D, 0x36466C, 0x3B496C, 0x3F4C6C,
    0x434E6C, 0x47516C, 0x4B546C, 0x4F576C, 0x535A6D, 0x565C6D, 0x5A5F6E, 0x5E626E,
    0x61656F, 0x656870, 0x686A71, 0x6C6D72, 0x6F7073, 0x727374, 0x767676, 0x797977,
    0x7D7C78, 0x807F78, 0x848279, 0x888578, 0x8C8878, 0x908B78, 0x938E78, 0x979177,
    0x9B9476, 0x9F9775, 0xA39A74, 0xA79D73, 0xABA072, 0xAFA471, 0xB4A76F, 0xB8AA6E,
    0xBCAE6C, 0xC0B16A, 0xC4B468, 0xC8B866, 0xCDBB63, 0xD1BF61, 0xD5C25E, 0xDAC65B,
    0xDEC958, 0xE2CD54, 0xE7D150, 0xEBD44B, 0xF0D846, 0xF5DC41, 0xF9E03A, 0xFEE434,
    0xFEE838
};
// The surface's rising steps from lime to red (0xRRGGBB).
constexpr std::array<std::uint32_t, 30> kGreenRed = {
    0x01FE00, 0x0CF300, 0x16E900, 0x20DF00, 0x2BD400, 0x35CA00, 0x40BF00, 0x4AB500, 0x54AB00, 0x5FA000,
    0x699600, 0x748B00, 0x7E8100, 0x887700, 0x936C00, 0x9D6200, 0xA85700, 0xB24D00, 0xBD4200, 0xC73800,
    0xD12E00, 0xDC2300, 0xE61900, 0xF10E00, 0xFB0400, 0xFC0000, 0xF70000, 0xF10000, 0xEC0000, 0xE70000};

Rgb FromHex(std::uint32_t hex)
{
    return RgbColor(static_cast<int>(hex >> 16), static_cast<int>((hex >> 8) & 0xFF), static_cast<int>(hex & 0xFF));
}

Rgb Interpolated(std::span<const std::uint32_t> table, double fraction)
{
    const double at = fraction * static_cast<double>(table.size() - 1);
    const std::size_t below = std::min(static_cast<std::size_t>(at), table.size() - 2);
    const double weight = at - static_cast<double>(below);
    const auto channel = [&](int shift) {
        const double low = (table[below] >> shift) & 0xFF;
        const double high = (table[below + 1] >> shift) & 0xFF;
        return static_cast<int>(std::lround(low + weight * (high - low)));
    };
    return RgbColor(channel(16), channel(8), channel(0));
}

}  // namespace

const std::vector<ColourMapKind>& ColourMapKinds()
{
    static const std::vector<ColourMapKind> kinds = {ColourMapKind::GreenRed, ColourMapKind::Viridis,
                                                     ColourMapKind::Cividis, ColourMapKind::Grey};
    return kinds;
}

std::string ColourMapName(ColourMapKind kind)
{
    switch (kind) {
    case ColourMapKind::Viridis:
        return "viridis";
    case ColourMapKind::Cividis:
        return "cividis";
    case ColourMapKind::Grey:
        return "grey";
    case ColourMapKind::GreenRed:
        break;
    }
    return "green-red";
}

std::optional<ColourMapKind> ColourMapNamed(std::string_view name)
{
    for (const ColourMapKind kind : ColourMapKinds()) {
        if (ColourMapName(kind) == name) {
            return kind;
        }
    }
    return std::nullopt;
}

Rgb ColourMapAt(ColourMapKind kind, double fraction)
{
    const double f = std::isnan(fraction) ? 0.0 : std::clamp(fraction, 0.0, 1.0);
    switch (kind) {
    case ColourMapKind::Viridis:
        return Interpolated(kViridis, f);
    case ColourMapKind::Cividis:
        return Interpolated(kCividis, f);
    case ColourMapKind::Grey: {
        const int level = static_cast<int>(std::lround(255 * (1.0 - f)));  // dark where strong, as on paper
        return RgbColor(level, level, level);
    }
    case ColourMapKind::GreenRed:
        break;
    }
    const std::size_t step = std::min(static_cast<std::size_t>(f * kGreenRed.size()), kGreenRed.size() - 1);
    return FromHex(kGreenRed[step]);
}

}  // namespace nivaro
