#include <gtest/gtest.h>

#include "engine/AxisScale.h"

namespace nivaro {
namespace {

struct ParseCase {
    const char* text;
    double factor;
    const char* shown;
};

class AxisScaleParse : public testing::TestWithParam<ParseCase> {};

TEST_P(AxisScaleParse, GivesTheFactorAndTheDisplayText)
{
    AxisScale scale;
    ASSERT_TRUE(scale.Parse(GetParam().text));
    EXPECT_DOUBLE_EQ(scale.Factor(), GetParam().factor);
    EXPECT_EQ(scale.Text(), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Texts, AxisScaleParse,
                         testing::Values(ParseCase{"3:1", 3.0, "3:1"}, ParseCase{"1:4", 0.25, "1:4"},
                                         ParseCase{"3:2", 3.0, "3:1"}, ParseCase{"2:3", 1.0 / 3, "1:3"},
                                         ParseCase{"5", 5.0, "5:1"}, ParseCase{"2:2", 0.5, "1:2"},
                                         ParseCase{"1:1", 1.0, "1:1"}, ParseCase{"  +7:1 junk", 7.0, "7:1"},
                                         ParseCase{"4: 9", 1.0 / 9, "1:9"}, ParseCase{"6 :9", 6.0, "6:1"},
                                         ParseCase{"3.0", 3.0, "3:1"}, ParseCase{"2:", 2.0, "2:1"},
                                         ParseCase{"1:4.00", 0.25, "1:4"}));

TEST(AxisScale, RefusedTextsLeaveTheScaleAsItWas)
{
    for (const char* text : {"abc", "", ":3", "0", "-3", "0:0", "-2:-1", "99999999999:1", "-3:1", "0:1", "1:0",
                             "1e400:1", "1:1e400", "1.5:1", "1:2.5", "1:-2"}) {
        AxisScale scale;
        ASSERT_TRUE(scale.Parse("1:3"));
        EXPECT_FALSE(scale.Parse(text)) << text;
        EXPECT_DOUBLE_EQ(scale.Factor(), 1.0 / 3) << text;
        EXPECT_EQ(scale.Text(), "1:3") << text;
    }
}

TEST(AxisScale, StepsWalkThroughWholeNumbersAndReciprocals)
{
    AxisScale scale;
    scale.Step(ScaleDirection::Up);
    EXPECT_EQ(scale.Text(), "2:1");
    scale.Step(ScaleDirection::Down);
    EXPECT_EQ(scale.Text(), "1:1");
    scale.Step(ScaleDirection::Down);
    EXPECT_EQ(scale.Text(), "1:2");
    scale.Step(ScaleDirection::Down);
    EXPECT_EQ(scale.Text(), "1:3");
    EXPECT_DOUBLE_EQ(scale.Factor(), 1.0 / 3);
    scale.Step(ScaleDirection::Up);
    EXPECT_EQ(scale.Text(), "1:2");
    scale.Step(ScaleDirection::None);
    EXPECT_EQ(scale.Text(), "1:2");
    scale.Step(ScaleDirection::Up);
    EXPECT_EQ(scale.Text(), "1:1");
    EXPECT_EQ(scale.Factor(), 1.0);
}

}  // namespace
}  // namespace nivaro
