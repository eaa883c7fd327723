#include "RegularTraces.h"

#include "BufferPool.h"
#include "DensityGrid.h"
#include "WorkEstimate.h"

namespace nivaro {

void TraceRegularRecords(const SimulationState& state,
                         const std::function<void(const std::vector<TrajectoryRecord>&)>& take)
{
    BufferPool<std::vector<TrajectoryRecord>> buffers;
    TraceRegularStartsInOrder<std::vector<TrajectoryRecord>>(
        state,
        [&](std::vector<TrajectoryRecord>& records, double startRow, const TracePosition& position) {
            if (records.capacity() == 0) {
                records = buffers.Take();
            }
            records.push_back({startRow, position.step, position.row, position.column,
                               RowPosition(state, position.row), ColumnPosition(state, position.column)});
        },
        [&](double, std::vector<TrajectoryRecord>&& records) {
            take(records);
            buffers.Give(std::move(records));
            return !state.stopRequested.load();
        });
}

std::vector<TrajectoryRecord> CollectTrajectoryRecords(const SimulationState& state)
{
    std::vector<TrajectoryRecord> all;
    // Room for paths that go straight along z, so that the records are
    // rarely moved while they are gathered (room not filled costs nothing).
    const double perPath =
        state.grid.integrator == Integrator::Adaptive ? state.grid.nz : state.grid.nz / state.grid.step + 1.0;
    all.reserve(static_cast<std::size_t>(std::min(CountRegularStarts(state, state.grid.dxb) * perPath, 1e9)));
    TraceRegularRecords(state, [&all](const std::vector<TrajectoryRecord>& records) {
        all.insert(all.end(), records.begin(), records.end());
    });
    return all;
}

TrajectoryColumns CollectTrajectories(const SimulationState& state, ProgressSink* progress)
{
    TrajectoryColumns columns;
    const double starts = std::max(CountRegularStarts(state, state.grid.dxb), 1.0);
    double traced = 0;
    TraceRegularRecords(state, [&](const std::vector<TrajectoryRecord>& records) {
        if (progress != nullptr) {
            traced += 1;
            progress->Advance({ProgressKind::CarpetRegularStarts, static_cast<int>(100 * traced / starts), 0});
        }
        for (const TrajectoryRecord& record : records) {
            columns.startRow.push_back(record.startRow);
            columns.step.push_back(static_cast<double>(record.step));
            columns.row.push_back(record.row);
            columns.column.push_back(record.column);
            columns.x.push_back(record.x);
            columns.z.push_back(record.z);
        }
    });
    return columns;
}

}  // namespace nivaro
