#include "TrajectoryCsv.h"

#include "engine/BohmTrajectory.h"
#include "engine/DensityGrid.h"
#include "engine/TrajectoryStarts.h"

namespace nivaro {

void WriteTrajectoryCsv(std::FILE* stream, const SimulationState& state)
{
    std::fputs("start_row,step,row,column,x_m,z_m\n", stream);
    const TrajectoryTracer tracer(state);
    for (const double startRow : RegularStartRows(state, state.grid.dxb)) {
        tracer.Trace(startRow, state.grid.step, [&](const TracePosition& position) {
            std::fprintf(stream, "%.17g,%d,%.17g,%.17g,%.17g,%.17g\n", startRow, position.step, position.row,
                         position.column, RowPosition(state, position.row), ColumnPosition(state, position.column));
        });
    }
}

}  // namespace nivaro
