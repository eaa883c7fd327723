#include "WorkEstimate.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

#include "PartialCoherence.h"
#include "RunDocument.h"
#include "SettingsValidation.h"
#include "SpectrumTransform.h"
#include "WaveModel.h"
#include "WaveVelocity.h"

namespace nivaro {
namespace {

// Speeds measured on a current two-core machine, per thread, with margin.
constexpr double kSecondsPerSlitTerm = 0.5e-9;  // seeds included
// The wave model: a fine point's share of one column (its phase, its part of
// the fold and of the rows' transform), and its memory: the spectrum and
// its wavenumber, and per thread the phases and their steps.
constexpr double kSecondsPerFinePoint = 6e-9;
constexpr double kFineBytesPerPoint = 24.0;
constexpr double kFineBytesPerPointAndThread = 32.0;
// A partially coherent beam: each sample's density added to the average in
// place.
constexpr double kSecondsPerAveragedPoint = 2e-9;
constexpr double kScratchBytesPerSlit = 512.0;   // per thread
constexpr double kSecondsPerGridPoint = 20e-9;  // first touch of the grids, grey levels, picture
constexpr double kSecondsPerStartCandidate = 5e-9;
constexpr double kSecondsPerTraceStep = 400e-9;
constexpr double kSecondsPerTraceStepAndSlit = 25e-9;
constexpr double kSecondsPerTableValue = 40e-9;
constexpr double kSecondsPerWaveTableByte = 10e-9;  // the wave model's velocity table, filled by transforms
constexpr double kSecondsPerCsvLine = 400e-9;
constexpr double kCsvBytesPerLine = 130.0;
constexpr double kBytesPerCell = 8.0;
constexpr double kPsiBytesPerPoint = 16.0;
constexpr double kCarpetBytesPerPoint = 3.0;  // the three planes
constexpr double kStartBytesPerPoint = 8.0;   // the start row under each pixel
constexpr double kCarpetPictureBytesPerPoint = 4.0;  // the window's picture of the carpet
constexpr double kQuantumPotentialBytesPerPoint = 16.0;  // Q and log |psi| while it is computed
// A point of the chart's surface with its colour, its projection and its
// place in the grid index.
constexpr double kChartBytesPerBlock = 160.0;
constexpr double kArrayBytesPerPosition = 6 * sizeof(double);  // a crossed cell waiting to be painted
constexpr double kTrajectoriesInFlightPerThread = 4.0;
// An arc-length step advances less than a pixel along z wherever the path
// is slanted.
constexpr double kStepsPerColumn = 1.25;

double TableValueBytes(const std::string& format)
{
    char text[512];
    const int length = std::snprintf(text, sizeof text, format.c_str(), 1234.5678);
    return std::max(length, 1) + 1.0;  // and the tab
}

// Positions of one path: Euler steps of `step` pixels, or one a column with
// the adaptive integrator.
double StepsPerTrajectory(const SimulationState& state, double step)
{
    const double columns = kStepsPerColumn * state.grid.nz;
    return (state.grid.integrator == Integrator::Adaptive ? columns : columns / step) + 1.0;
}

// The wave model's fine grid, or the largest one it may plan when the
// settings' own would be refused (the computation says so).
double FineGridPoints(const SimulationState& state)
{
    SimulationState derived;
    CopySettings(state, derived);
    derived.parameters.UpdateDerived();
    try {
        return static_cast<double>(PlanWaveGrid(derived).size);
    } catch (const UnusableSettingsError&) {
        return static_cast<double>(kLargestWaveGrid);
    }
}

}  // namespace

double CountRegularStarts(const SimulationState& state, double spacing)
{
    const SimulationParameters& p = state.parameters;
    const double rowWidth = state.grid.dx / state.scaleX.Factor();
    if (!IsPositiveFinite(spacing) || !IsPositiveFinite(rowWidth) || state.grid.nxb <= 0) {
        return 0.0;
    }
    const double candidates = std::ceil(state.grid.nxb / spacing);
    if (!std::isfinite(candidates)) {
        return candidates;  // a spacing so small that the rows cannot even be counted
    }
    // Each opening admits the start rows within half a slit width of its
    // centre: an interval of candidate indices. Openings wider than the
    // period overlap, so the intervals are merged before counting.
    std::vector<std::pair<double, double>> intervals;
    // Only the openings that reach the candidate rows count: their slits
    // form one run of indices (the centres fall by d a slit).
    const double halfRows = p.slitWidth * 0.5 / rowWidth;
    const double rowsPerSlit = p.d / rowWidth;
    const double topCentre = (p.slits - 1) * 0.5 * rowsPerSlit + state.grid.nx / 2;
    const double lastRow = candidates * spacing;
    const int first = static_cast<int>(std::clamp(std::floor((topCentre - halfRows - lastRow) / rowsPerSlit), 0.0,
                                                  static_cast<double>(p.slits)));
    const int last = static_cast<int>(std::clamp(std::ceil((topCentre + halfRows) / rowsPerSlit), -1.0,
                                                 static_cast<double>(p.slits - 1)));
    for (int slit = first; slit <= last; ++slit) {
        const double centreRow = ((p.slits - 1) * 0.5 - slit) * p.d / rowWidth + state.grid.nx / 2;
        const double low = std::max(0.0, std::ceil((centreRow - halfRows) / spacing));
        const double high = std::min(candidates - 1.0, std::floor((centreRow + halfRows) / spacing));
        if (high >= low) {
            intervals.emplace_back(low, high);
        }
    }
    std::sort(intervals.begin(), intervals.end());
    double starts = 0.0;
    double counted = -1.0;  // the highest index counted so far
    for (const auto& [low, high] : intervals) {
        if (high > counted) {
            starts += high - std::max(low, counted + 1.0) + 1.0;
            counted = high;
        }
    }
    return starts;
}

double StreamBufferBytesPerPoint(const RunPlan& plan)
{
    const double densityAndPsi = static_cast<double>(kGridBytesPerPoint) + (plan.psi ? kPsiBytesPerPoint : 0.0);
    return std::max(densityAndPsi, plan.quantumPotential ? kQuantumPotentialBytesPerPoint : 0.0);
}

WorkEstimate EstimateWork(const SimulationState& state, const RunPlan& plan, int threads)
{
    const GridSettings& g = state.grid;
    const double points = static_cast<double>(g.nx) * g.nz;
    const double parallel = std::max(threads, 1);
    const double slits = state.parameters.slits;
    WorkEstimate estimate;
    double serialSeconds = 0.0;
    double parallelSeconds = 0.0;
    if (plan.streamedColumns > 0) {
        estimate.memoryBytes = StreamBufferBytesPerPoint(plan) * g.nx * static_cast<double>(plan.streamedColumns);
    } else {
        estimate.memoryBytes = static_cast<double>(GridBytes(g.nx, g.nz)) +
                               ((plan.psi ? kPsiBytesPerPoint : 0.0) +
                                (plan.quantumPotential ? kQuantumPotentialBytesPerPoint : 0.0)) *
                                   points;
    }
    if (plan.surface) {
        estimate.memoryBytes += kChartBytesPerBlock * points / (g.decimationX * g.decimationZ);
    }
    if (plan.density) {
        const WaveSettings& wave = state.parameters.wave;
        const double samples = CoherenceSampleCounts(state).Total();
        // A tilted sample of the slit model is propagated by the wave model.
        if (wave.model == FieldModel::Wave || wave.sourceWidth > 0.0) {
            const double fine = FineGridPoints(state);
            parallelSeconds += samples * g.nz * fine * kSecondsPerFinePoint;
            estimate.memoryBytes += fine * (kFineBytesPerPoint + parallel * kFineBytesPerPointAndThread) +
                                    parallel * g.nx * kPsiBytesPerPoint;
        } else {
            estimate.slitTerms = samples * (g.nx / 2 + 1.0) * g.nz * slits;
            parallelSeconds += estimate.slitTerms * kSecondsPerSlitTerm;
            estimate.memoryBytes += parallel * slits * kScratchBytesPerSlit;
        }
        if (samples > 1) {
            serialSeconds += samples * points * kSecondsPerAveragedPoint;
        }
        serialSeconds += points * kSecondsPerGridPoint;
    }
    const double stepSeconds = kSecondsPerTraceStep + slits * kSecondsPerTraceStepAndSlit;
    // A start loop keeps the rows it finds (in a vector that may double)
    // until their trajectories are traced; the loops run one after another.
    const auto lookAtStarts = [&](double spacing) {
        estimate.startCandidates += std::ceil(g.nxb / spacing);
        estimate.startBytes = std::max(estimate.startBytes, 2.0 * CountRegularStarts(state, spacing) * sizeof(double));
    };
    // With the wave model every tracing fills a velocity table, one at a time.
    const bool wave = state.parameters.wave.model == FieldModel::Wave;
    const double waveTableBytes = wave ? WaveVelocityTableBytes(state) : 0.0;
    double waveTables = 0.0;
    const auto trace = [&](double trajectories, double steps) {
        ++waveTables;
        estimate.traceSteps += trajectories * steps;
        parallelSeconds += trajectories * steps * stepSeconds;
        estimate.memoryBytes += std::min(trajectories, kTrajectoriesInFlightPerThread * parallel) * steps * kBytesPerCell;
    };
    if (plan.surfaceTrajectories) {
        const double spacing = g.decimationX * g.dxb;
        lookAtStarts(spacing);
        trace(CountRegularStarts(state, spacing), StepsPerTrajectory(state, 1.0));
    }
    if (plan.carpet) {
        serialSeconds += points * kSecondsPerGridPoint;
        estimate.outputBytes += 3.0 * points;
        estimate.memoryBytes += (kCarpetBytesPerPoint + (plan.carpetTrajectories ? kStartBytesPerPoint : 0.0) +
                                 (plan.carpetPicture ? kCarpetPictureBytesPerPoint : 0.0)) *
                                points;
    }
    // Each output of the regular starts traces them anew with the carpet's
    // step; returns the positions traced.
    const double regularStarts = CountRegularStarts(state, g.dxb);
    const double carpetSteps = StepsPerTrajectory(state, g.step);
    const auto traceRegularStarts = [&] {
        lookAtStarts(g.dxb);
        trace(regularStarts, carpetSteps);
        return regularStarts * carpetSteps;
    };
    if (plan.carpetTrajectories) {
        if (plan.dataFileStarts > 0) {
            trace(static_cast<double>(plan.dataFileStarts), carpetSteps);
        } else {
            traceRegularStarts();
        }
    }
    if (plan.trajectoryCsv) {
        const double lines = traceRegularStarts();
        parallelSeconds += lines * kSecondsPerCsvLine;
        estimate.outputBytes += lines * kCsvBytesPerLine;
        estimate.memoryBytes += kTrajectoriesInFlightPerThread * parallel * carpetSteps * kCsvBytesPerLine;
    }
    if (plan.trajectoryArrays) {
        const double positions = traceRegularStarts();
        estimate.outputBytes += positions * kArrayBytesPerPosition;
        estimate.memoryBytes += positions * kArrayBytesPerPosition;
    }
    estimate.outputBytes += points * plan.arrayBytesPerPoint;
    serialSeconds += estimate.startCandidates * kSecondsPerStartCandidate;
    estimate.memoryBytes += estimate.startBytes + (waveTables > 0.0 ? waveTableBytes : 0.0);
    parallelSeconds += waveTables * waveTableBytes * kSecondsPerWaveTableByte;
    if (plan.tableFormat) {
        estimate.outputBytes += points * TableValueBytes(*plan.tableFormat) + g.nx + 1.0;
        serialSeconds += points * kSecondsPerTableValue;
    }
    if (plan.spectrumTable) {
        estimate.outputBytes += static_cast<double>(kSpectrumSize) * kSpectrumSize * 16.0;
    }
    estimate.seconds = serialSeconds + parallelSeconds / parallel;
    return estimate;
}

std::string DescribeWork(const WorkEstimate& estimate)
{
    char time[64];
    if (estimate.seconds < 120.0) {
        std::snprintf(time, sizeof time, "about %.0f seconds", std::ceil(estimate.seconds));
    } else if (estimate.seconds < 7200.0) {
        std::snprintf(time, sizeof time, "about %.0f minutes", std::round(estimate.seconds / 60.0));
    } else {
        std::snprintf(time, sizeof time, "about %.3g hours", estimate.seconds / 3600.0);
    }
    char bytes[64];
    if (estimate.outputBytes < 1e6) {
        std::snprintf(bytes, sizeof bytes, "%.0f kB", std::ceil(estimate.outputBytes / 1e3));
    } else if (estimate.outputBytes < 1e9) {
        std::snprintf(bytes, sizeof bytes, "%.0f MB", std::ceil(estimate.outputBytes / 1e6));
    } else {
        std::snprintf(bytes, sizeof bytes, "%.3g GB", estimate.outputBytes / 1e9);
    }
    return std::string(time) + " of computation and " + bytes + " of output";
}

std::optional<std::string> WorkBeyondLimits(const WorkEstimate& estimate, const WorkLimits& limits)
{
    if (estimate.seconds <= limits.seconds && estimate.outputBytes <= limits.outputBytes) {
        return std::nullopt;
    }
    return DescribeWork(estimate);
}

}  // namespace nivaro
