#include <gtest/gtest.h>

#include "engine/GridCoverage.h"
#include "engine/TrajectoryStarts.h"

namespace nivaro {
namespace {

TEST(GridCoverage, SaysWhenNoSlitOrNoStartLiesInTheGrid)
{
    const struct {
        const char* what;
        int slits;
        double d;
        double slitWidth;
        int nx;
        int nxb;
        double dxb;
        bool slitInGrid;
        bool startInSlit;
    } cases[] = {
        {"the defaults", 2, 1e-8, 1e-8, 300, 150, 0.5, true, true},
        {"d without its exponent", 2, 101, 1e-8, 300, 150, 0.5, false, false},
        {"one slit sits in the middle whatever d", 1, 101, 1e-8, 300, 150, 0.5, true, true},
        {"a wide grid with the small grid's nxb", 2, 1e-8, 1e-8, 2000, 150, 0.5, true, false},
        {"the same grid with nxb at its middle", 2, 1e-8, 1e-8, 2000, 1000, 0.5, true, true},
        {"starts spaced wider than the slits", 2, 1e-8, 1e-9, 300, 150, 40.0, true, false},
        {"only the lower slit's edge inside the rows", 2, 6.2e-8, 4e-9, 300, 300, 0.5, true, true},
        {"nxb 0: no start at all", 2, 1e-8, 1e-8, 300, 0, 0.5, true, false},
    };
    for (const auto& c : cases) {
        SimulationState state;
        state.parameters.slits = c.slits;
        state.parameters.d = c.d;
        state.parameters.slitWidth = c.slitWidth;
        state.grid.nx = c.nx;
        state.grid.nxb = c.nxb;
        state.grid.dxb = c.dxb;
        const GridCoverage coverage = CheckGridCoverage(state);
        EXPECT_EQ(coverage.slitInGrid, c.slitInGrid) << c.what;
        EXPECT_EQ(coverage.startInSlit, c.startInSlit) << c.what;
        if (c.nx * 1.0 / c.dxb < 1e6) {
            EXPECT_EQ(coverage.startInSlit, !RegularStartRows(state, c.dxb).empty()) << c.what << ": the start rule";
        }
    }
}

}  // namespace
}  // namespace nivaro
