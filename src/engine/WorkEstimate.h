#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/SimulationState.h"

namespace nivaro {

// What a run will compute and write, for the estimate made before it starts.
struct RunPlan {
    bool density = true;
    bool psi = false;                  // psi kept on the whole grid
    bool surface = false;              // the window's 3D chart of the density
    bool surfaceTrajectories = false;  // the 3D chart's trajectories
    bool carpet = false;               // grey levels and the carpet picture
    bool carpetPicture = false;        // the window's picture of the carpet
    bool quantumPotential = false;     // Q on the grid
    // > 0: the density, psi and Q are computed and written this many columns
    // at a time instead of held whole.
    int streamedColumns = 0;
    bool carpetTrajectories = false;   // regular starts, or the data file's when dataFileStarts > 0
    std::uint64_t dataFileStarts = 0;
    bool trajectoryCsv = false;
    std::optional<std::string> tableFormat;  // the density table, with this printf format
    bool spectrumTable = false;
    double arrayBytesPerPoint = 0.0;  // binary arrays of the grid written (.npy, .h5)
    bool trajectoryArrays = false;    // every trajectory position kept for an array file
};

struct WorkEstimate {
    double slitTerms = 0.0;
    double startCandidates = 0.0;  // rows the regular start loops look at
    double startBytes = 0.0;       // the start rows the largest loop keeps, part of memoryBytes
    double traceSteps = 0.0;
    double outputBytes = 0.0;
    double memoryBytes = 0.0;  // every allocation of the run, the grids included
    double seconds = 0.0;
};

// Bytes a grid point of the buffers takes that a streamed run computes its
// blocks of columns into: the density with psi, then Q in buffers of its own.
double StreamBufferBytesPerPoint(const RunPlan& plan);

// From the settings and the engine's measured speed on `threads` threads;
// generous rather than tight.
WorkEstimate EstimateWork(const SimulationState& state, const RunPlan& plan, int threads);

struct WorkLimits {
    double seconds = 600.0;
    double outputBytes = 2e9;
};

// "about 28 minutes of computation and 26 GB of output"
std::string DescribeWork(const WorkEstimate& estimate);

// The description when the estimate exceeds a limit, else nothing.
std::optional<std::string> WorkBeyondLimits(const WorkEstimate& estimate, const WorkLimits& limits);

// Regular start rows 0, spacing, 2 spacing, ... below nxb that pass the slit
// test, counted without walking them.
double CountRegularStarts(const SimulationState& state, double spacing);

}  // namespace nivaro
