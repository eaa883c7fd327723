#include <gtest/gtest.h>

#include "platform/RoundStep.h"

namespace nivaro {
namespace {

TEST(RoundStep, StepsFollowOneTwoFiveAndTicksAreExactMultiples)
{
    const std::pair<double, double> steps[] = {{8, 10}, {1.2, 2}, {0.3, 0.5}, {5, 5}, {0, 1}, {-3, 1}};
    for (const auto& [span, step] : steps) {
        EXPECT_DOUBLE_EQ(RoundStep(span), step) << span;
    }
    EXPECT_EQ(RoundTicks(-30.0000001, 30, 10), (std::vector<double>{-30, -20, -10, 0, 10, 20, 30}));
    EXPECT_EQ(RoundTicks(0.05, 0.31, 0.1), (std::vector<double>{0.1, 0.2, 0.30000000000000004}));
    EXPECT_TRUE(RoundTicks(1, 0, 1).empty());
}

}  // namespace
}  // namespace nivaro
