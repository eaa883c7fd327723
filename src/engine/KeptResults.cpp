#include "KeptResults.h"

namespace nivaro {
namespace {

// Calls exchange(kept, live) for each grid: the carpet's, or all of them.
template <typename Live, typename Exchange>
void ForEachGridPair(bool allGrids, KeptResults::Grids& kept, Live& live, Exchange&& exchange)
{
    if (allGrids) {
        exchange(kept.psiField, live.psiField);
        exchange(kept.densityField, live.densityField);
    }
    exchange(kept.carpetRed, live.carpetRed);
    exchange(kept.carpetGreen, live.carpetGreen);
    exchange(kept.carpetBlue, live.carpetBlue);
    exchange(kept.trajectoryStartGrid, live.trajectoryStartGrid);
}

}  // namespace

KeptResults::KeptResults(SimulationState& state, Keep what)
    : allGrids_(what == Keep::AllGrids), parameters_(state.parameters), grid_(state.grid)
{
    if (allGrids_) {
        ForEachGridPair(true, grids_, state, [](auto& grid, auto& live) { grid.Swap(live); });
        return;
    }
    ForEachGridPair(false, grids_, state, [](auto& grid, const auto& live) {
        grid.Reshape(live.Rows(), live.Cols());
        live.CopyTo(grid);
    });
}

void KeptResults::Restore(SimulationState& state)
{
    state.parameters = parameters_;
    state.grid = grid_;
    ForEachGridPair(allGrids_, grids_, state, [](auto& grid, auto& live) {
        live.Swap(grid);
        grid.Reshape(0, 0);
    });
}

}  // namespace nivaro
