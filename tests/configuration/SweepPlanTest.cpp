#include <gtest/gtest.h>

#include "configuration/SweepPlan.h"

namespace nivaro {
namespace {

TEST(SweepPlan, AxesFormAGridWithTheLastFastestAndWholeKeysDeduplicated)
{
    const std::vector<SweepRun> runs = PlanSweep({ParseSweepAxis("z0=0:1:3"), ParseSweepAxis("Slits=1:2.4:4")});
    ASSERT_EQ(runs.size(), 6u) << "slits 1, 1.47, 1.93, 2.4 round to 1, 1, 2, 2";
    EXPECT_EQ(runs[0].settings, (std::vector<std::pair<std::string, std::string>>{{"z0", "0"}, {"slits", "1"}}));
    EXPECT_EQ(runs[1].settings[1].second, "2");
    EXPECT_EQ(runs[2].settings[0].second, "0.5");
    EXPECT_EQ(runs[5].index, 5);
    EXPECT_EQ(ParseSweepAxis("slit width=1e-9:2e-9:2").key, "slite width") << "the caption names the key";
    EXPECT_EQ(PlanSweep({ParseSweepAxis("lambda=1e-8:1e-8:1")}).front().settings.front().second, "1E-8")
        << "values as the configuration stores them";
}

TEST(SweepPlan, PatternsTakeTheZeroPaddedIndexAndSweptValues)
{
    const std::vector<SweepRun> runs = PlanSweep({ParseSweepAxis("z0=0:1:11")});
    EXPECT_EQ(ExpandPattern("frames/c-{index}.png", runs[3], 11), "frames/c-03.png");
    EXPECT_EQ(ExpandPattern("t/{Z0}.npy", runs[10], 11), "t/1.npy");
    EXPECT_THROW(ExpandPattern("t/{slits}.npy", runs[0], 11), SweepError);
    EXPECT_THROW(ExpandPattern("t/{index.npy", runs[0], 11), SweepError);
    EXPECT_NO_THROW(RequireDistinctFiles({"c-{index}.png", "d-{z0}.txt"}, runs, {"summary.csv"}));
}

// Two outputs naming one file are refused, whether two runs would write it
// or a run and the sweep's own summary or animation, however the path is
// spelled.
TEST(SweepPlan, TwoOutputsOfOneFileAreRefused)
{
    const std::vector<SweepRun> runs = PlanSweep({ParseSweepAxis("z0=0:1:3")});
    const struct {
        std::vector<std::string> patterns;
        std::vector<std::string> once;
        const char* file;
    } cases[] = {
        {{"c.png"}, {}, "'c.png'"},
        {{"d{index}.txt"}, {"d0.txt"}, "'d0.txt'"},
        {{"d{index}.txt"}, {"./d0.txt"}, "d0.txt'"},
        {{"d{index}.txt", "e/../d{index}.txt"}, {}, "d0.txt'"},
    };
    for (const auto& c : cases) {
        try {
            RequireDistinctFiles(c.patterns, runs, c.once);
            ADD_FAILURE() << c.file << " written twice was let through";
        } catch (const SweepError& error) {
            EXPECT_NE(std::string(error.what()).find(c.file), std::string::npos) << error.what();
        }
    }
    EXPECT_EQ(FileNamedTwice({"-", "-", "/dev/null", "/dev/null", "a.txt"}), std::nullopt)
        << "standard output and devices are written as they are";
}

TEST(SweepPlan, MalformedAxesAreRefusedWithTheText)
{
    for (const char* text : {"z0", "z0=0:1", "z0=0:1:0", "z0=a:1:2", "X-scale=1:2:2", "colour=1:2:3", "z0=0:1:2:3",
                             "z0=0:inf:2", "z0=0:1:100001"}) {
        EXPECT_THROW(ParseSweepAxis(text), SweepError) << text;
    }
    EXPECT_THROW(PlanSweep({ParseSweepAxis("z0=0:1:2"), ParseSweepAxis("Z0=2:3:2")}), SweepError) << "one key twice";
}

}  // namespace
}  // namespace nivaro
