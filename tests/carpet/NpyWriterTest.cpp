#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>

#include "TestFiles.h"
#include "carpet/NpyWriter.h"

namespace nivaro {
namespace {

template <typename Matrix>
std::string NpyBytes(const Matrix& matrix)
{
    return WrittenBytes([&matrix](std::FILE* stream) { WriteNpy(stream, matrix); });
}

TEST(NpyWriter, HeaderIsVersionOneWithItsLengthAndPaddedToSixtyFourBytes)
{
    for (const auto& [descr, rows, cols] : {std::tuple{"<f8", 2, 3}, std::tuple{"<c16", 300, 1}, std::tuple{"<f8", 0, 7}}) {
        const std::string header = NpyHeader(descr, rows, cols);
        ASSERT_EQ(header.substr(0, 8), std::string("\x93NUMPY\x01\x00", 8));
        const std::size_t length = static_cast<unsigned char>(header[8]) | (static_cast<unsigned char>(header[9]) << 8);
        EXPECT_EQ(header.size(), 10 + length);
        EXPECT_EQ(header.size() % 64, 0u);
        EXPECT_EQ(header.back(), '\n');
        const std::string dict = "{'descr': '" + std::string(descr) + "', 'fortran_order': False, 'shape': (" +
                                 std::to_string(rows) + ", " + std::to_string(cols) + "), }";
        EXPECT_EQ(header.substr(10, dict.size()), dict);
        EXPECT_EQ(header.find_first_not_of(' ', 10 + dict.size()), header.size() - 1) << "blanks up to the line feed";
    }
}

TEST(NpyWriter, ValuesFollowInRowOrderAndComplexPartsInterleaved)
{
    RealMatrixT real(2, 3);
    ComplexGrid complex(2, 2);
    for (int i = 0; i < 2; ++i) {
        for (int j = 0; j < 3; ++j) {
            real[i][j] = 10.0 * i + j + 0.5;
        }
        for (int j = 0; j < 2; ++j) {
            complex[i][j] = {i + 0.25 * j, -(i + 0.25 * j)};
        }
    }
    const std::string realBytes = NpyBytes(real);
    const std::size_t realStart = NpyHeader("<f8", 2, 3).size();
    ASSERT_EQ(realBytes.size(), realStart + 6 * sizeof(double));
    double values[6];
    std::memcpy(values, realBytes.data() + realStart, sizeof values);
    EXPECT_EQ(values[0], 0.5);
    EXPECT_EQ(values[2], 2.5);
    EXPECT_EQ(values[3], 10.5) << "the second row follows the first";

    const std::string complexBytes = NpyBytes(complex);
    const std::size_t complexStart = NpyHeader("<c16", 2, 2).size();
    ASSERT_EQ(complexBytes.size(), complexStart + 8 * sizeof(double));
    double parts[8];
    std::memcpy(parts, complexBytes.data() + complexStart, sizeof parts);
    EXPECT_EQ(parts[2], 0.25);
    EXPECT_EQ(parts[3], -0.25) << "real, then imaginary part of each element";
    EXPECT_EQ(parts[4], 1.0);
}

}  // namespace
}  // namespace nivaro
