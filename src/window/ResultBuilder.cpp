#include "ResultBuilder.h"

#include "ComputationRunner.h"
#include "engine/DensityGrid.h"
#include "engine/QuantumPotential.h"
#include "engine/SpectrumTransform.h"
#include "engine/TrajectoryEnsemble.h"

namespace nivaro {

ResultBuilder::ResultBuilder(ComputationRunner& runner, ProgressSink& progress) : runner_(runner), progress_(progress) {}

bool ResultBuilder::Run(const std::function<void(ProgressSink&)>& work, SimulationState* document)
{
    runner_.Run(progress_, work, document);
    return !runner_.Stopped();
}

bool ResultBuilder::Density(SimulationState& next, bool surfaceTrajectories, DensitySurface& surface)
{
    return Run(
        [&](ProgressSink& progress) {
            ComputeDensityGrid(next, progress);
            if (!next.stopRequested) {
                surface = PrepareDensitySurface(next, surfaceTrajectories);
            }
        },
        &next);
}

bool ResultBuilder::Carpet(const SimulationState& source, SimulationState& planes, const CarpetRequest& request,
                           DerivedResults& derived)
{
    if (!Run([&](ProgressSink& progress) { RenderCarpet(planes, source.densityField, request.options, progress); },
             &planes)) {
        return false;
    }
    derived.ensembleChoices = request.ensemble;
    derived.ensemble.reset();
    if (request.ensemble.sampled &&
        !Run(
            [&](ProgressSink& progress) {
                Ensemble traced = TraceEnsemble(source, request.ensemble.settings, progress);
                if (!source.stopRequested) {
                    std::vector<std::uint32_t> coverage = EnsembleCoverage(traced, source.grid.nx);
                    derived.ensemble = DerivedResults::SampledPaths{std::move(traced), std::move(coverage)};
                }
            },
            &planes)) {
        return false;
    }
    return !request.quantumPotential || QuantumPotential(source, derived, &planes);
}

bool ResultBuilder::Spectrum(const SimulationState& source, RealMatrixT& magnitudes)
{
    return Run([&](ProgressSink&) { SpectrumOfPsi(source, magnitudes, SpectrumValues::Whole); }, nullptr);
}

bool ResultBuilder::QuantumPotential(const SimulationState& source, DerivedResults& derived, SimulationState* document)
{
    RealMatrixT q(0, 0);
    return Run(
        [&](ProgressSink& progress) {
            ComputeQuantumPotential(source, q, progress);
            if (!source.stopRequested) {
                derived.SetQuantumPotential(q);
            }
        },
        document);
}

}  // namespace nivaro
