#pragma once

#include <cstdio>

#include "engine/SimulationState.h"

namespace nivaro {

// Writes, as CSV with the header start_row,step,row,column,x_m,z_m, every
// position at which the carpet's regular trajectories (spacing dxb, rows
// below nxb, slit test, step length `step`) pass the stop rules and go on.
// Numbers in full precision. Needs the derived quantities to be current.
void WriteTrajectoryCsv(std::FILE* stream, const SimulationState& state);

}  // namespace nivaro
