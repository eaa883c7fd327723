#pragma once

#include <memory>

#include "engine/SimulationState.h"

namespace nivaro {

// A computation builds its results in a document of its own while the one
// shown stays as it is; the front end takes the new one only when it is
// complete, and a cancelled or failed one is dropped.

// Gives `document` the settings of `from` (physics, grid, scales, threads,
// memory limit); its grids stay, so that one of an unchanged shape is
// computed into as it is.
void CopySettings(const SimulationState& from, SimulationState& document);

// A document with the settings of `from` and no grids.
std::unique_ptr<SimulationState> NewDocumentLike(const SimulationState& from);

// The document for the next density computation: `spare` (one dropped or
// replaced before) when there is one, keeping its density and psi for
// reuse but no carpet, else a new one; with the settings of `from`.
std::unique_ptr<SimulationState> RecycleDocument(std::unique_ptr<SimulationState> spare, const SimulationState& from);

enum class ResultGrids {
    All,     // the settings and every grid: a density computation
    Carpet,  // the carpet's planes and its start grid: a carpet pass
};

// Moves the computed results into shown; what shown held goes to computed.
void TakeComputedResults(SimulationState& shown, SimulationState& computed, ResultGrids which);

}  // namespace nivaro
