#pragma once

#include "engine/SimulationState.h"

namespace nivaro {

// What a finished computation left in the state, held while the next one
// runs so that a cancelled run can give it back untouched.
class KeptResults {
public:
    enum class Keep {
        // Before a density computation: moves every grid out of state, so the
        // computation allocates its own and the kept ones stay whole.
        AllGrids,
        // Before a carpet pass: copies the planes and the start grid it paints.
        CarpetGrids,
    };

    KeptResults(SimulationState& state, Keep what);

    // Puts the settings and the grids kept back into state; the cancelled
    // run's grids are freed.
    void Restore(SimulationState& state);

    struct Grids {
        ComplexGrid psiField{0, 0};
        RealMatrixT densityField{0, 0};
        UcharMatrix carpetRed{0, 0};
        UcharMatrix carpetGreen{0, 0};
        UcharMatrix carpetBlue{0, 0};
        RealMatrixT trajectoryStartGrid{0, 0};
    };

private:
    bool allGrids_;
    SimulationParameters parameters_;
    GridSettings grid_;
    Grids grids_;
};

}  // namespace nivaro
