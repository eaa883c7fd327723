#pragma once

#include <optional>
#include <vector>

#include "engine/BohmTrajectory.h"
#include "engine/OrderedBlocks.h"
#include "engine/TrajectoryStarts.h"

namespace nivaro {

// Traces the regular starts (every dxb rows below nxb) in parallel and hands
// each result to the calling thread in start order:
//   trace(tracer, startRow) -> Result runs on any thread,
//   take(startRow, Result&&) -> bool runs on the calling thread, start after
//   start; false stops the work (no later start is taken).
// Results waiting for an earlier start are kept until they are taken.
template <typename Result, typename Trace, typename Take>
void TraceRegularStartsInOrder(const SimulationState& state, Trace&& trace, Take&& take)
{
    const TrajectoryTracer tracer(state);
    const std::vector<double> starts = RegularStartRows(state, state.grid.dxb);
    std::vector<std::optional<Result>> results(starts.size());
    std::size_t taken = 0;
    RunBlocksInOrder(
        static_cast<int>(starts.size()), ThreadCount(state.threads),
        [&](int index, int) {
            const auto at = static_cast<std::size_t>(index);
            results[at].emplace(trace(tracer, starts[at]));
        },
        [&](int finished) {
            for (; taken < static_cast<std::size_t>(finished); ++taken) {
                const bool goOn = take(starts[taken], std::move(*results[taken]));
                results[taken].reset();
                if (!goOn) {
                    return false;
                }
            }
            return true;
        });
}

// Every position of the regular trajectories (the carpet's step), as
// columns for array files and other programs.
struct TrajectoryColumns {
    std::vector<double> startRow;
    std::vector<double> step;
    std::vector<double> row;
    std::vector<double> column;
    std::vector<double> x;  // metres
    std::vector<double> z;
};
TrajectoryColumns CollectTrajectories(const SimulationState& state);

}  // namespace nivaro
