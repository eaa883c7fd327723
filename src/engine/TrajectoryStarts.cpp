#include "TrajectoryStarts.h"

#include <cmath>
#include <stdexcept>

#include "SettingsValidation.h"

namespace nivaro {

bool PassesSlitTest(const SimulationState& state, double startRow)
{
    const SimulationParameters& p = state.parameters;
    const double x = (startRow - state.grid.nx / 2) * state.grid.dx / state.scaleX.Factor();
    for (int slit = 0; slit < p.slits; ++slit) {
        if (std::abs(((p.slits - 1) * 0.5 - slit) * p.d - x) < p.slitWidth * 0.5) {
            return true;
        }
    }
    return false;
}

std::vector<double> RegularStartRows(const SimulationState& state, double spacing)
{
    if (!IsPositiveFinite(spacing)) {
        throw std::invalid_argument("the spacing of trajectory starts must be a positive finite number of rows");
    }
    std::vector<double> rows;
    for (double startRow = 0.0; startRow < state.grid.nxb; startRow += spacing) {
        if (PassesSlitTest(state, startRow)) {
            rows.push_back(startRow);
        }
        if (startRow + spacing == startRow) {
            break;  // a spacing below the rounding of the row would never reach nxb
        }
    }
    return rows;
}

double StartRowOfPosition(const SimulationState& state, double positionInD)
{
    return state.parameters.d / state.grid.dx * positionInD * state.scaleX.Factor() + state.grid.nx * 0.5;
}

double PositionOfStartRow(const SimulationState& state, int startRow)
{
    return (startRow - state.grid.nx * 0.5) * state.grid.dx / state.scaleX.Factor() / state.parameters.d;
}

}  // namespace nivaro
