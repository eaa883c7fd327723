#include <gtest/gtest.h>

#include <functional>

#include "engine/TrajectoryStarts.h"
#include "engine/WorkEstimate.h"

namespace nivaro {
namespace {

TEST(WorkEstimate, CountsTheRegularStartsWithoutWalkingThem)
{
    const std::function<void(SimulationState&)> settings[] = {
        [](SimulationState&) {},
        [](SimulationState& s) { s.parameters.slits = 7; },
        [](SimulationState& s) { s.grid.dxb = 0.3; },
        [](SimulationState& s) { s.parameters.slits = 20, s.grid.nx = 2000, s.grid.nxb = 1000; },
        [](SimulationState& s) { s.parameters.slitWidth = 3e-8; },  // openings overlap
        [](SimulationState& s) { (void)s.scaleX.Parse("3:1"); },
    };
    for (const auto& change : settings) {
        SimulationState state;
        change(state);
        const double walked = static_cast<double>(RegularStartRows(state, state.grid.dxb).size());
        EXPECT_NEAR(CountRegularStarts(state, state.grid.dxb), walked, 0.02 * walked + 2.0);
    }
}

TEST(WorkEstimate, RunsThatWouldHangOrFloodTheDiskExceedTheLimits)
{
    const WorkLimits limits;
    struct Case {
        const char* name;
        std::function<void(SimulationState&, RunPlan&)> change;
        bool beyond;
    };
    const Case cases[] = {
        {"defaults", [](SimulationState&, RunPlan& plan) { plan.carpet = plan.carpetTrajectories = true; }, false},
        {"a hundred million slits", [](SimulationState& s, RunPlan&) { s.parameters.slits = 100000000; }, true},
        {"a million slits", [](SimulationState& s, RunPlan&) { s.parameters.slits = 1000000; }, false},
        {"step 1e-4 to CSV", [](SimulationState& s, RunPlan& plan) { s.grid.step = 1e-4, plan.trajectoryCsv = true; },
         true},
        {"dxb 1e-300", [](SimulationState& s, RunPlan& plan) { s.grid.dxb = 1e-300, plan.carpetTrajectories = true; },
         true},
        {"dxb 1e-315, too small to count the rows", // found by fuzzing: the estimate was not a number
         [](SimulationState& s, RunPlan& plan) { s.grid.dxb = 1e-315, plan.carpetTrajectories = true; }, true},
        {"2000 by 2000, 20 slits, table",
         [](SimulationState& s, RunPlan& plan) {
             s.grid.nx = s.grid.nz = 2000, s.parameters.slits = 20, plan.tableFormat = "% .4f";
         },
         false},
        {"2000 by 2000, 20 slits, 9 wavelengths",
         [](SimulationState& s, RunPlan&) {
             s.grid.nx = s.grid.nz = 2000, s.parameters.slits = 20;
             s.parameters.wave.lambdaSpread = 0.01, s.parameters.wave.coherenceSamples = 9;
         },
         false},
        {"4000 by 4000 wave model, 64 by 64 wavelengths and angles",
         [](SimulationState& s, RunPlan&) {
             s.grid.nx = s.grid.nz = 4000, s.parameters.wave.model = FieldModel::Wave;
             s.parameters.wave.lambdaSpread = 0.01, s.parameters.wave.sourceWidth = 1e-3;
             s.parameters.wave.coherenceSamples = 64;
         },
         true},
    };
    for (const Case& c : cases) {
        SimulationState state;
        RunPlan plan;
        c.change(state, plan);
        const WorkEstimate estimate = EstimateWork(state, plan, 2);
        EXPECT_EQ(WorkBeyondLimits(estimate, limits).has_value(), c.beyond) << c.name << ": " << DescribeWork(estimate);
    }
}

TEST(WorkEstimate, DescribesTimeAndOutputInUnitsAPersonReads)
{
    WorkEstimate estimate;
    estimate.seconds = 1680.0;
    estimate.outputBytes = 26e9;
    EXPECT_EQ(DescribeWork(estimate), "about 28 minutes of computation and 26 GB of output");
    estimate.seconds = 4.2;
    estimate.outputBytes = 32e6;
    EXPECT_EQ(DescribeWork(estimate), "about 5 seconds of computation and 32 MB of output");
}

}  // namespace
}  // namespace nivaro
