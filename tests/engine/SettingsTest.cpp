#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "engine/SettingsValidation.h"

namespace nivaro {
namespace {

TEST(SimulationParameters, DerivedQuantitiesFollowTheirFormulas)
{
    SimulationParameters parameters;
    EXPECT_DOUBLE_EQ(parameters.TalbotLength(), 2e-8);
    parameters.z0 = 1.0;
    parameters.lambda = 5e-8;
    parameters.UpdateDerived();
    EXPECT_EQ(parameters.zOffset, 2 * 1e-8 * 1e-8 / 5e-8 * 1.0);
    EXPECT_EQ(parameters.momentum, 1.054571628e-34 * 2 * 3.141592653589793 / 5e-8);
    EXPECT_EQ(parameters.velocity, parameters.momentum / 9.1095e-31);

    const GridSettings grid;
    EXPECT_EQ(grid.dx, 2e-10);
    EXPECT_EQ(grid.dz, 2e-10);
}

TEST(GridSettings, DecimationIsFourUpTo300AndOneSixtyFourthAbove)
{
    const std::pair<int, int> cases[] = {{1, 4},   {300, 4}, {301, 4},  {319, 4},
                                         {320, 5}, {400, 6}, {640, 10}, {1000, 15}};
    for (const auto& [samples, decimation] : cases) {
        EXPECT_EQ(GridSettings::DecimationFor(samples), decimation) << samples;
    }
    GridSettings grid;
    grid.nx = 640;
    grid.DeriveDecimation();
    EXPECT_EQ(grid.decimationX, 10);
    EXPECT_EQ(grid.decimationZ, 4);
}

// An nxb at half the rows (the default) follows a new nx; any other stays,
// and one beyond nx is named in one wording for the panel, file and --set.
TEST(GridSettings, NxbAtHalfTheRowsFollowsThem)
{
    const struct {
        int nx;
        int nxb;
        int rows;
        int followed;
    } cases[] = {{300, 150, 2000, 1000}, {300, 100, 2000, 100}, {301, 150, 41, 20}, {2000, 1000, 300, 150},
                 {1, 0, 10, 5},          {300, 0, 2000, 0}};
    for (const auto& c : cases) {
        GridSettings grid;
        grid.nx = c.nx;
        grid.nxb = c.nxb;
        grid.SetRows(c.rows);
        EXPECT_EQ(grid.nx, c.rows);
        EXPECT_EQ(grid.nxb, c.followed) << c.nx << " " << c.nxb << " -> " << c.rows;
    }
    GridSettings grid;
    EXPECT_EQ(grid.nxb, grid.nx / 2);
    grid.nxb = grid.nx;
    EXPECT_EQ(NxbBeyondRows(grid), std::nullopt) << "nx itself: every row";
    grid.nxb = grid.nx + 1;
    ASSERT_TRUE(NxbBeyondRows(grid));
    EXPECT_EQ(NxbBeyondRows(grid)->Message(), "nxb=301: must lie between 0 and nx (300)");
}

TEST(SettingsValidation, TheDefaultsAreUsable)
{
    EXPECT_TRUE(FindUnusableSettings(SimulationState{}).empty());
}

TEST(SettingsValidation, EachUnusableSettingIsNamed)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const std::pair<const char*, std::function<void(SimulationState&)>> cases[] = {
        {"slits", [](SimulationState& s) { s.parameters.slits = 0; }},
        {"mass", [](SimulationState& s) { s.parameters.mass = 0.0; }},
        {"mass", [](SimulationState& s) { s.parameters.mass = 1e-323, s.parameters.lambda = 1e-20; }},  // v overflows
        {"lambda", [](SimulationState& s) { s.parameters.lambda = 1e300; }},  // p underflows: not the mass
        {"d", [](SimulationState& s) { s.parameters.d = 1e300; }},            // z offset infinity times 0
        {"z0", [](SimulationState& s) { s.parameters.z0 = 1e308; }},
        {"z0", [](SimulationState& s) { s.parameters.z0 = -1e308; }},
        {"sigma0", [](SimulationState& s) { s.parameters.sigma0 = 1e-300; }},  // A(0) overflows
        {"slite width", [](SimulationState& s) { s.parameters.slitWidth = 0.0; }},
        {"slite width", [](SimulationState& s) { s.parameters.slitWidth = -1e-8; }},
        {"nxb", [](SimulationState& s) { s.grid.nxb = -1; }},
        {"dxb", [](SimulationState& s) { s.grid.dxb = 1e308; }},
        {"lambda", [](SimulationState& s) { s.parameters.lambda = -1e-8; }},
        {"d", [inf](SimulationState& s) { s.parameters.d = inf; }},
        {"sigma0", [nan](SimulationState& s) { s.parameters.sigma0 = nan; }},
        {"slite width", [nan](SimulationState& s) { s.parameters.slitWidth = nan; }},
        {"z0", [inf](SimulationState& s) { s.parameters.z0 = -inf; }},
        {"nx", [](SimulationState& s) { s.grid.nx = 0; }},
        {"nz", [](SimulationState& s) { s.grid.nz = -3; }},
        {"nx", [](SimulationState& s) { s.grid.nx = s.grid.nz = 2000000000; }},
        {"dxb", [](SimulationState& s) { s.grid.dxb = 0.0; }},
        {"step", [](SimulationState& s) { s.grid.step = -1.0; }},
        {"step", [](SimulationState& s) { s.grid.step = 0.0; }},
        {"step", [inf](SimulationState& s) { s.grid.step = inf; }},
    };
    for (const auto& [key, spoil] : cases) {
        SimulationState state;
        state.gridMemoryLimit = 1ULL << 36;
        spoil(state);
        const std::vector<SettingProblem> problems = FindUnusableSettings(state);
        ASSERT_EQ(problems.size(), 1u) << key;
        EXPECT_EQ(problems[0].key, key);
        EXPECT_THROW(RequireUsableSettings(state), UnusableSettingsError);
    }
}

TEST(SettingsValidation, AnyPositiveStepAndTinySpacingAreLeftToTheWorkEstimate)
{
    SimulationState state;
    state.grid.step = 1e-5;
    state.grid.dxb = 1e-300;
    EXPECT_TRUE(FindUnusableSettings(state).empty());
}

TEST(SettingsValidation, GridBytesSaturateInsteadOfOverflowing)
{
    EXPECT_EQ(GridBytes(300, 300), 300u * 300u * kGridBytesPerPoint);
    EXPECT_EQ(GridBytes(0, 300), 0u);
    EXPECT_GT(GridBytes(2147483647, 2147483647), GridBytes(1 << 20, 1 << 20));
}

}  // namespace
}  // namespace nivaro
