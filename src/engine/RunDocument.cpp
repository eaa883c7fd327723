#include "RunDocument.h"

namespace nivaro {

void CopySettings(const SimulationState& from, SimulationState& document)
{
    document.parameters = from.parameters;
    document.grid = from.grid;
    document.scaleX = from.scaleX;
    document.scaleZ = from.scaleZ;
    document.scaleP = from.scaleP;
    document.threads = from.threads;
    document.gridMemoryLimit = from.gridMemoryLimit;
    document.stopRequested = false;
}

std::unique_ptr<SimulationState> NewDocumentLike(const SimulationState& from)
{
    auto document = std::make_unique<SimulationState>();
    CopySettings(from, *document);
    return document;
}

std::unique_ptr<SimulationState> RecycleDocument(std::unique_ptr<SimulationState> spare, const SimulationState& from)
{
    if (!spare) {
        return NewDocumentLike(from);
    }
    CopySettings(from, *spare);
    for (UcharMatrix* plane : {&spare->carpetRed, &spare->carpetGreen, &spare->carpetBlue}) {
        plane->Reshape(0, 0);
    }
    spare->trajectoryStartGrid.Reshape(0, 0);
    return spare;
}

void TakeComputedResults(SimulationState& shown, SimulationState& computed, ResultGrids which)
{
    if (which == ResultGrids::All) {
        std::swap(shown.parameters, computed.parameters);
        std::swap(shown.grid, computed.grid);
        shown.psiField.Swap(computed.psiField);
        shown.densityField.Swap(computed.densityField);
    }
    shown.carpetRed.Swap(computed.carpetRed);
    shown.carpetGreen.Swap(computed.carpetGreen);
    shown.carpetBlue.Swap(computed.carpetBlue);
    shown.trajectoryStartGrid.Swap(computed.trajectoryStartGrid);
}

}  // namespace nivaro
