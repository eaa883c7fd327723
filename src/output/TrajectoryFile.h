#pragma once

#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "engine/RegularTraces.h"
#include "output/ArrayOutput.h"
#include "platform/RecordLayout.h"

namespace nivaro {

// The trajectory file's format by its name: ".csv" (or "-", standard
// output) CSV, ".npy" and ".h5" records; nothing for any other name.
std::optional<ArrayFormat> TrajectoryFormatOf(const std::string& path);

// Writes, as CSV with the header start_row,step,row,column,x_m,z_m, every
// position at which the carpet's regular trajectories (spacing dxb, rows
// below nxb, slit test, step length `step`) pass the stop rules and go on,
// numbers as printf's "%.17g". The lines are formatted on every thread and
// written in start order. Needs the derived quantities to be current.
void WriteTrajectoryCsv(std::FILE* stream, const SimulationState& state);

// A TrajectoryRecord's fields with their units, as the array files name them.
inline constexpr RecordField kTrajectoryFields[] = {
    {"start_row", offsetof(TrajectoryRecord, startRow), RecordField::Type::Float64, "row"},
    {"step", offsetof(TrajectoryRecord, step), RecordField::Type::Int64, "steps from the start"},
    {"row", offsetof(TrajectoryRecord, row), RecordField::Type::Float64, "row"},
    {"column", offsetof(TrajectoryRecord, column), RecordField::Type::Float64, "column"},
    {"x_m", offsetof(TrajectoryRecord, x), RecordField::Type::Float64, "m"},
    {"z_m", offsetof(TrajectoryRecord, z), RecordField::Type::Float64, "m"},
};
inline constexpr RecordLayout kTrajectoryLayout{kTrajectoryFields, sizeof(TrajectoryRecord)};

// The --trajectories file, opened before the run like the other outputs: CSV
// written as the paths are traced, or the records of every position as a
// NumPy structured array or an HDF5 compound dataset "trajectories".
class TrajectoryOutput {
public:
    // The name must have one of TrajectoryFormatOf's formats.
    TrajectoryOutput(const std::string& path, const SettingAttributes& settings);

    void Trace(const SimulationState& state);
    // Writes the records kept, if any, and puts the file in place.
    void Commit();

private:
    ArrayOutput file_;
    std::vector<TrajectoryRecord> records_;
};

}  // namespace nivaro
