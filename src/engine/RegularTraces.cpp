#include "RegularTraces.h"

#include "DensityGrid.h"

namespace nivaro {

TrajectoryColumns CollectTrajectories(const SimulationState& state)
{
    TrajectoryColumns columns;
    TraceRegularStartsInOrder<std::vector<TracePosition>>(
        state, [](std::vector<TracePosition>& positions, double, const TracePosition& position) {
            positions.push_back(position);
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
