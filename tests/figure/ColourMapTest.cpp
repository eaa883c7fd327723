#include <gtest/gtest.h>

#include "chart/ColourMap.h"

namespace nivaro {
namespace {

TEST(ColourMap, EndsMiddlesAndNames)
{
    const struct {
        ColourMapKind kind;
        double fraction;
        Rgb colour;
    } cases[] = {
        {ColourMapKind::Viridis, 0.0, RgbColor(0x44, 0x01, 0x54)},  {ColourMapKind::Viridis, 1.0, RgbColor(0xFD, 0xE7, 0x25)},
        {ColourMapKind::Viridis, 0.5, RgbColor(0x21, 0x91, 0x8C)},  {ColourMapKind::Cividis, 0.0, RgbColor(0x00, 0x22, 0x4E)},
        {ColourMapKind::Cividis, 1.0, RgbColor(0xFE, 0xE8, 0x38)},  {ColourMapKind::Grey, 0.0, RgbColor(255, 255, 255)},
        {ColourMapKind::Grey, 1.0, RgbColor(0, 0, 0)},              {ColourMapKind::GreenRed, 0.0, RgbColor(0x01, 0xFE, 0x00)},
        {ColourMapKind::GreenRed, 1.0, RgbColor(0xE7, 0x00, 0x00)}, {ColourMapKind::Viridis, -3.0, RgbColor(0x44, 0x01, 0x54)},
        {ColourMapKind::Viridis, 7.0, RgbColor(0xFD, 0xE7, 0x25)},
    };
    for (const auto& [kind, fraction, colour] : cases) {
        EXPECT_EQ(ColourMapAt(kind, fraction), colour) << ColourMapName(kind) << " at " << fraction;
    }
    for (const ColourMapKind kind : ColourMapKinds()) {
        EXPECT_EQ(ColourMapNamed(ColourMapName(kind)), kind);
    }
    EXPECT_FALSE(ColourMapNamed("jet").has_value());
}

}  // namespace
}  // namespace nivaro
