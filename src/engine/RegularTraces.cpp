#include "RegularTraces.h"

#include "DensityGrid.h"

namespace nivaro {

TrajectoryColumns CollectTrajectories(const SimulationState& state)
{
    TrajectoryColumns columns;
    TraceRegularStartsInOrder<std::vector<TracePosition>>(
        state,
        [&state](const TrajectoryTracer& tracer, double startRow) {
            std::vector<TracePosition> positions;
            tracer.Trace(startRow, state.grid.step, [&](const TracePosition& position) { positions.push_back(position); });
            return positions;
        },
        [&](double startRow, std::vector<TracePosition>&& positions) {
            for (const TracePosition& position : positions) {
                columns.startRow.push_back(startRow);
                columns.step.push_back(position.step);
                columns.row.push_back(position.row);
                columns.column.push_back(position.column);
                columns.x.push_back(RowPosition(state, position.row));
                columns.z.push_back(ColumnPosition(state, position.column));
            }
            return !state.stopRequested.load();
        });
    return columns;
}

}  // namespace nivaro
