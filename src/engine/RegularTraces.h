#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <span>
#include <utility>
#include <vector>

#include "engine/OrderedBlocks.h"
#include "engine/PathTracer.h"
#include "engine/ProgressSink.h"
#include "engine/TrajectoryStarts.h"

namespace nivaro {

// Paths traced together: enough to fill the vector lanes several times
// over, few enough that the starts spread over the threads.
inline constexpr int kPathsPerBlock = 32;

// Traces the regular starts (every dxb rows below nxb) with the configured
// method in parallel, blocks of starts on each thread, and hands each
// start's result to the calling thread in start order:
//   record(Result&, startRow, const TracePosition&) runs on any thread, at
//   each position of the start's path in order, on a Result of its own;
//   take(startRow, Result&&) -> bool runs on the calling thread, start after
//   start; false stops the work (no later start is taken).
// Results waiting for an earlier start are kept until they are taken.
template <typename Result, typename Record, typename Take>
void TraceRegularStartsInOrder(const SimulationState& state, Record&& record, Take&& take)
{
    const PathTracer tracer(state, ConfiguredTraceMethod(state.grid));
    const std::vector<double> starts = RegularStartRows(state, state.grid.dxb);
    const int count = static_cast<int>(starts.size());
    std::vector<Result> results(starts.size());
    int taken = 0;
    RunBlocksInOrder(
        (count + kPathsPerBlock - 1) / kPathsPerBlock, ThreadCount(state.threads),
        [&](int block, int) {
            const int first = block * kPathsPerBlock;
            const std::span<const double> blockStarts(starts.data() + first,
                                                      static_cast<std::size_t>(std::min(kPathsPerBlock, count - first)));
            tracer.Trace(blockStarts, [&](int path, const TracePosition& position) {
                const auto at = static_cast<std::size_t>(first + path);
                record(results[at], starts[at], position);
            });
        },
        [&](int finished) {
            for (; taken < std::min(count, finished * kPathsPerBlock); ++taken) {
                const auto at = static_cast<std::size_t>(taken);
                // Moved out whole, so that its memory goes with the call:
                // assigning an empty result would keep it.
                if (!take(starts[at], std::exchange(results[at], Result{}))) {
                    return false;
                }
            }
            return true;
        });
}

// One position of a regular trajectory with its place in metres, as the
// array files hold it: 48 bytes, no padding.
struct TrajectoryRecord {
    double startRow;
    std::int64_t step;
    double row;     // pixels
    double column;  // pixels
    double x;       // metres
    double z;       // metres
};

// Every position of the regular trajectories (the configured method), the
// metres worked out on the tracing threads; take(const
// std::vector<TrajectoryRecord>&) gets each start's records on the calling
// thread in start order. Stops after the start during which a stop was
// requested.
void TraceRegularRecords(const SimulationState& state,
                         const std::function<void(const std::vector<TrajectoryRecord>&)>& take);

// Every position of the regular trajectories, as records for array files.
std::vector<TrajectoryRecord> CollectTrajectoryRecords(const SimulationState& state);

// The same as columns, for other programs.
struct TrajectoryColumns {
    std::vector<double> startRow;
    std::vector<double> step;
    std::vector<double> row;
    std::vector<double> column;
    std::vector<double> x;  // metres
    std::vector<double> z;
};
// With a sink, progress is told per start and a stop is seen after the
// start during which it was requested.
TrajectoryColumns CollectTrajectories(const SimulationState& state, ProgressSink* progress = nullptr);

}  // namespace nivaro
