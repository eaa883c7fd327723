#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "ArrayFiles.h"
#include "TestFiles.h"
#include "output/TrajectoryCsvBaseline.h"
#include "output/TrajectoryFile.h"

namespace nivaro {
namespace {

// A grid small enough for a test whose paths leave it, bend and end.
void ConfigureSmallCarpet(SimulationState& state, Integrator integrator, double step, int threads)
{
    state.grid.nx = 120;
    state.grid.nz = 60;
    state.grid.nxb = 60;
    state.grid.step = step;
    state.grid.integrator = integrator;
    state.parameters.slits = 3;
    state.threads = threads;
    state.parameters.UpdateDerived();
}

std::string CsvOf(void (*write)(std::FILE*, const SimulationState&), const SimulationState& state)
{
    return WrittenBytes([&](std::FILE* stream) { write(stream, state); });
}

TEST(TrajectoryFile, TheCsvIsByteForByteWhatTheFormerWriterWrote)
{
    struct Case {
        Integrator integrator;
        double step;
        int threads;
    };
    for (const Case& c : {Case{Integrator::Euler, 1.0, 3}, Case{Integrator::Euler, 0.37, 1},
                          Case{Integrator::Adaptive, 1.0, 2}}) {
        SimulationState state;
        ConfigureSmallCarpet(state, c.integrator, c.step, c.threads);
        const std::string expected = CsvOf(baseline::WriteTrajectoryCsv, state);
        ASSERT_GT(std::count(expected.begin(), expected.end(), '\n'), 1000) << c.step;
        EXPECT_EQ(CsvOf(WriteTrajectoryCsv, state), expected) << "step " << c.step << ", " << c.threads << " threads";
    }
}

TEST(TrajectoryFile, TheFormatComesFromTheNameAndOtherNamesHaveNone)
{
    const std::pair<const char*, std::optional<ArrayFormat>> cases[] = {
        {"t.csv", ArrayFormat::Text}, {"T.CSV", ArrayFormat::Text},   {"-", ArrayFormat::Text},
        {"t.npy", ArrayFormat::Npy},  {"dir.h5/t.H5", ArrayFormat::Hdf5}, {"t.txt", std::nullopt},
        {"t", std::nullopt},          {"t.csv.bak", std::nullopt},    {"csv", std::nullopt},
    };
    for (const auto& [name, format] : cases) {
        EXPECT_EQ(TrajectoryFormatOf(name), format) << name;
    }
}

std::vector<TrajectoryRecord> RecordsOfCsv(const std::string& text)
{
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "start_row,step,row,column,x_m,z_m");
    std::vector<TrajectoryRecord> records;
    while (std::getline(lines, line)) {
        TrajectoryRecord record{};
        char* at = line.data();
        record.startRow = std::strtod(at, &at);
        record.step = std::strtoll(at + 1, &at, 10);
        for (double* field : {&record.row, &record.column, &record.x, &record.z}) {
            *field = std::strtod(at + 1, &at);
        }
        records.push_back(record);
    }
    return records;
}

void ExpectSameRecords(const std::vector<TrajectoryRecord>& read, const std::vector<TrajectoryRecord>& expected)
{
    ASSERT_EQ(read.size(), expected.size());
    for (std::size_t k = 0; k < read.size(); ++k) {
        ASSERT_EQ(std::memcmp(&read[k], &expected[k], sizeof(TrajectoryRecord)), 0) << "record " << k;
    }
}

std::vector<TrajectoryRecord> NpyRecords(const std::string& bytes)
{
    const std::size_t length = static_cast<unsigned char>(bytes[8]) | (static_cast<unsigned char>(bytes[9]) << 8);
    std::vector<TrajectoryRecord> records((bytes.size() - 10 - length) / sizeof(TrajectoryRecord));
    std::memcpy(records.data(), bytes.data() + 10 + length, records.size() * sizeof(TrajectoryRecord));
    return records;
}

// The HDF5 dataset read by field name into the test's own compound type.
std::vector<TrajectoryRecord> Hdf5Records(hid_t dataset)
{
    const hid_t type = H5Tcreate(H5T_COMPOUND, sizeof(TrajectoryRecord));
    H5Tinsert(type, "start_row", offsetof(TrajectoryRecord, startRow), H5T_NATIVE_DOUBLE);
    H5Tinsert(type, "step", offsetof(TrajectoryRecord, step), H5T_NATIVE_INT64);
    H5Tinsert(type, "row", offsetof(TrajectoryRecord, row), H5T_NATIVE_DOUBLE);
    H5Tinsert(type, "column", offsetof(TrajectoryRecord, column), H5T_NATIVE_DOUBLE);
    H5Tinsert(type, "x_m", offsetof(TrajectoryRecord, x), H5T_NATIVE_DOUBLE);
    H5Tinsert(type, "z_m", offsetof(TrajectoryRecord, z), H5T_NATIVE_DOUBLE);
    const hid_t space = H5Dget_space(dataset);
    std::vector<TrajectoryRecord> records(static_cast<std::size_t>(H5Sget_simple_extent_npoints(space)));
    H5Dread(dataset, type, H5S_ALL, H5S_ALL, H5P_DEFAULT, records.data());
    H5Sclose(space);
    H5Tclose(type);
    return records;
}

TEST(TrajectoryFile, NumpyAndHdf5RecordsHoldTheNumbersOfTheCsv)
{
    const ScratchFolder folder;
    SimulationState state;
    ConfigureSmallCarpet(state, Integrator::Euler, 0.37, 2);
    for (const char* name : {"t.csv", "t.npy", "t.h5"}) {
        TrajectoryOutput output((folder / name).string(), {{"slits", "3"}});
        output.Trace(state);
        output.Commit();
    }
    const std::vector<TrajectoryRecord> expected = RecordsOfCsv(ReadWholeFile(folder / "t.csv"));
    ASSERT_GT(expected.size(), 1000u);

    const std::string npy = ReadWholeFile(folder / "t.npy");
    EXPECT_NE(npy.find("{'descr': [('start_row', '<f8'), ('step', '<i8'), ('row', '<f8'), ('column', '<f8'), "
                       "('x_m', '<f8'), ('z_m', '<f8')], 'fortran_order': False, 'shape': (" +
                       std::to_string(expected.size()) + ",), }"),
              std::string::npos)
        << npy.substr(0, 200);
    ExpectSameRecords(NpyRecords(npy), expected);

    const hid_t file = H5Fopen((folder / "t.h5").c_str(), H5F_ACC_RDONLY, H5P_DEFAULT);
    ASSERT_GE(file, 0);
    const hid_t dataset = H5Dopen2(file, "trajectories", H5P_DEFAULT);
    ExpectSameRecords(Hdf5Records(dataset), expected);
    EXPECT_EQ(Hdf5Attribute(dataset, "x_m_unit"), "m");
    EXPECT_EQ(Hdf5Attribute(dataset, "step_unit"), "steps from the start");
    EXPECT_EQ(Hdf5Attribute(file, "slits"), "3");
    H5Dclose(dataset);
    H5Fclose(file);
}

}  // namespace
}  // namespace nivaro
