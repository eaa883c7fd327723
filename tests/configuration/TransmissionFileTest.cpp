#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "TestFiles.h"
#include "carpet/NpyWriter.h"
#include "configuration/TransmissionFile.h"
#include "platform/FileError.h"

namespace nivaro {
namespace {

using Cplx = std::complex<double>;

void WriteText(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

// A .npy file of the given header dictionary and raw values.
void WriteNpyFile(const std::filesystem::path& path, std::string header, const std::vector<double>& values)
{
    while ((10 + header.size() + 1) % 64 != 0) {
        header += ' ';
    }
    header += '\n';
    std::string bytes = "\x93NUMPY\x01";
    bytes += '\0';
    bytes += static_cast<char>(header.size() & 0xff);
    bytes += static_cast<char>(header.size() >> 8);
    bytes += header;
    bytes.append(reinterpret_cast<const char*>(values.data()), values.size() * sizeof(double));
    WriteText(path, bytes);
}

void ExpectSamples(const TransmissionTable& table, const std::vector<double>& x, const std::vector<Cplx>& t)
{
    ASSERT_EQ(table.Size(), x.size());
    for (std::size_t i = 0; i < x.size(); ++i) {
        EXPECT_EQ(table.At(x[i]), t[i]) << "sample " << i;
    }
}

TEST(TransmissionFile, TextAndNumPyTablesAreRead)
{
    const ScratchFolder folder;
    WriteText(folder / "real.txt", "# x [m]  t\n-1e-8 0.5\n\n0, 1\n1e-8\t0.25\n");
    ExpectSamples(*ReadTransmissionFile((folder / "real.txt").string()), {-1e-8, 0, 1e-8}, {0.5, 1.0, 0.25});
    WriteText(folder / "complex.dat", "0 1 -1\r\n2e-9 0 0.5\r\n");
    ExpectSamples(*ReadTransmissionFile((folder / "complex.dat").string()), {0, 2e-9}, {{1, -1}, {0, 0.5}});

    RealMatrixT real(2, 2);
    real[0][0] = -1e-9;
    real[0][1] = 0.75;
    real[1][0] = 3e-9;
    real[1][1] = 1.0;
    std::FILE* stream = std::fopen((folder / "real.npy").c_str(), "wb");
    WriteNpy(stream, real);
    std::fclose(stream);
    ExpectSamples(*ReadTransmissionFile((folder / "real.npy").string()), {-1e-9, 3e-9}, {0.75, 1.0});
    // complex128, columns stored one after the other.
    WriteNpyFile(folder / "fortran.npy", "{'descr': '<c16', 'fortran_order': True, 'shape': (2, 2), }",
                 {-2e-9, 0, 2e-9, 0, 0, 1, 0.5, 0.5});
    ExpectSamples(*ReadTransmissionFile((folder / "fortran.npy").string()), {-2e-9, 2e-9}, {{0, 1}, {0.5, 0.5}});
}

TEST(TransmissionFile, ATableJoinsItsSamplesByLinesAndIsZeroBeyond)
{
    const TransmissionTable table({0.0, 1.0, 3.0}, {Cplx(0, 0), Cplx(2, -2), Cplx(0, 4)});
    EXPECT_EQ(table.At(0.5), Cplx(1, -1));
    EXPECT_EQ(table.At(2.0), Cplx(1, 1));
    EXPECT_EQ(table.At(-0.1), Cplx(0, 0));
    EXPECT_EQ(table.At(3.5), Cplx(0, 0));
    EXPECT_EQ(table.SmallestStep(), 1.0);
}

TEST(TransmissionFile, WhatCannotBeUsedIsRefusedNamingTheFileAndTheFault)
{
    const ScratchFolder folder;
    WriteNpyFile(folder / "three.npy", "{'descr': '<f8', 'fortran_order': False, 'shape': (2, 3), }",
                 std::vector<double>(6, 0.0));
    WriteNpyFile(folder / "short.npy", "{'descr': '<f8', 'fortran_order': False, 'shape': (4, 2), }",
                 std::vector<double>(6, 0.0));
    WriteNpyFile(folder / "ints.npy", "{'descr': '<i8', 'fortran_order': False, 'shape': (2, 2), }",
                 std::vector<double>(4, 0.0));
    WriteText(folder / "decreasing.txt", "1e-9 1\n0 1\n");
    WriteText(folder / "word.txt", "0 1\n1e-9 one\n");
    WriteText(folder / "single.txt", "0 1\n");
    WriteText(folder / "infinite.txt", "0 inf\n1e-9 1\n");
    WriteNpyFile(folder / "nan.npy", "{'descr': '<f8', 'fortran_order': False, 'shape': (2, 2), }",
                 {0.0, 1.0, 1e-9, std::nan("")});
    const struct {
        const char* file;
        const char* fault;
    } cases[] = {
        {"three.npy", "not (n, 2)"},          {"short.npy", "bytes of values"},
        {"ints.npy", "not float64"},          {"decreasing.txt", "must increase"},
        {"word.txt", "line 2: 'one'"},        {"single.txt", "at least two samples"},
        {"infinite.txt", "'inf' is not"},     {"nan.npy", "sample 2"},
        {"missing.txt", "missing.txt"},
    };
    for (const auto& c : cases) {
        const std::string path = (folder / c.file).string();
        try {
            ReadTransmissionFile(path);
            ADD_FAILURE() << c.file << " was read";
        } catch (const FileError& error) {
            EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
            EXPECT_NE(std::string(error.what()).find(c.fault), std::string::npos) << error.what();
        }
    }
}

}  // namespace
}  // namespace nivaro
