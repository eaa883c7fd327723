#include <gtest/gtest.h>

#include <cmath>

#include "figure/QuantumPotentialMap.h"

namespace nivaro {
namespace {

TEST(DivergingMap, WhiteAtZeroEachSideOnItsOwnScaleGreyWithoutValue)
{
    const DivergingMap colours({-0.4, 0.1});
    const std::pair<double, QColor> cases[] = {
        {0.0, QColor(255, 255, 255)},  {-0.4, QColor(0, 0, 255)},    {0.1, QColor(255, 0, 0)},
        {-0.2, QColor(128, 128, 255)}, {0.05, QColor(255, 128, 128)}, {-9.0, QColor(0, 0, 255)},
        {9.0, QColor(255, 0, 0)},      {std::nan(""), DivergingMap::NoValue()},
    };
    for (const auto& [value, colour] : cases) {
        EXPECT_EQ(colours(value), colour) << value;
    }
    const DivergingMap positive({0.2, 0.5});
    EXPECT_EQ(positive.Lowest(), 0.0) << "the range takes in zero";
    EXPECT_EQ(positive(0.0), QColor(255, 255, 255));
}

}  // namespace
}  // namespace nivaro
