#pragma once

#include <atomic>
#include <vector>

#include "engine/ExtendedPrecisionTracer.h"
#include "engine/OrderedBlocks.h"

namespace nivaro {

// The tracer before the vector one: one path at a time with the velocity in
// extended precision, the starts on every core. Returns the positions.
inline long TraceOneAfterAnother(const SimulationState& state, const std::vector<double>& starts)
{
    const ExtendedPrecisionTracer tracer(state);
    std::atomic<long> positions{0};
    RunBlocksInOrder(
        static_cast<int>(starts.size()), ThreadCount(0),
        [&](int index, int) {
            long traced = 0;
            tracer.Trace(starts[static_cast<std::size_t>(index)], state.grid.step,
                         [&](const TracePosition&) { ++traced; });
            positions += traced;
        },
        [](int) { return true; });
    return positions.load();
}

}  // namespace nivaro
