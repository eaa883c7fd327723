#pragma once

#include <atomic>
#include <climits>
#include <cstdint>
#include <limits>

#include "engine/AxisScale.h"
#include "engine/GridSettings.h"
#include "engine/SimulationParameters.h"
#include "numeric/Matrices.h"

namespace nivaro {

inline constexpr int kNoHoveredStart = INT_MAX;

// Everything one simulation works on. The front end owns one instance and
// passes it to the engine; tests build their own. The grids are declared in
// creation order so that they are destroyed in reverse.
struct SimulationState {
    SimulationParameters parameters;
    GridSettings grid;
    AxisScale scaleX;
    AxisScale scaleZ;
    AxisScale scaleP;

    // Each grid is allocated by the pass that fills it, and only when a run
    // asks for it: psi by a density computation that keeps it, the carpet's
    // planes and start grid by the carpet pass.
    ComplexGrid psiField{0, 0};
    RealMatrixT densityField{0, 0};
    UcharMatrix carpetRed{0, 0};
    UcharMatrix carpetGreen{0, 0};
    UcharMatrix carpetBlue{0, 0};
    RealMatrixT trajectoryStartGrid{0, 0};

    // Set by a close request, never cleared; polled by the long loops.
    std::atomic<bool> stopRequested{false};
    int hoveredStart = kNoHoveredStart;

    // Grids needing more bytes than this are refused before anything is
    // allocated; front ends set it to the memory the machine has.
    std::uint64_t gridMemoryLimit = std::numeric_limits<std::uint64_t>::max();

    // Threads of the parallel kernels; 0 takes NIVARO_THREADS, else every core.
    int threads = 0;
};

}  // namespace nivaro
