#pragma once

#include <memory>

#include "engine/SimulationState.h"

namespace nivaro {

// A computation builds its results in a document of its own while the one
// shown stays as it is; the front end takes the new one only when it is
// complete, and a cancelled or failed one is dropped.

// A document with the settings of `from` (physics, grid, scales, threads,
// memory limit) and no grids.
std::unique_ptr<SimulationState> NewDocumentLike(const SimulationState& from);

enum class ResultGrids {
    All,     // the settings and every grid: a density computation
    Carpet,  // the carpet's planes and its start grid: a carpet pass
};

// Moves the computed results into shown; what shown held goes to computed.
void TakeComputedResults(SimulationState& shown, SimulationState& computed, ResultGrids which);

}  // namespace nivaro
