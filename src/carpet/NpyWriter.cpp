#include "NpyWriter.h"

#include <bit>
#include <vector>

namespace nivaro {
namespace {

static_assert(std::endian::native == std::endian::little, "the arrays are written as the machine holds them");

constexpr std::string_view kMagic("\x93NUMPY\x01\x00", 8);  // magic, then version 1.0
constexpr std::size_t kAlignment = 64;

}  // namespace

std::string NpyHeader(std::string_view descr, int rows, int cols)
{
    std::string dict = "{'descr': '" + std::string(descr) + "', 'fortran_order': False, 'shape': (" +
                       std::to_string(rows) + ", " + std::to_string(cols) + "), }";
    // magic and version, two length bytes, the dict, the padding and '\n'
    const std::size_t unpadded = kMagic.size() + 2 + dict.size() + 1;
    dict.append((kAlignment - unpadded % kAlignment) % kAlignment, ' ');
    dict.push_back('\n');
    std::string header(kMagic);
    header.push_back(static_cast<char>(dict.size() & 0xFF));
    header.push_back(static_cast<char>(dict.size() >> 8));
    return header + dict;
}

void WriteNpy(std::FILE* stream, const RealMatrixT& matrix)
{
    const std::string header = NpyHeader("<f8", matrix.Rows(), matrix.Cols());
    std::fwrite(header.data(), 1, header.size(), stream);
    for (int row = 0; row < matrix.Rows(); ++row) {
        std::fwrite(matrix[row], sizeof(double), static_cast<std::size_t>(matrix.Cols()), stream);
    }
}

void WriteNpy(std::FILE* stream, const ComplexMatrixT& matrix)
{
    const std::string header = NpyHeader("<c16", matrix.Rows(), matrix.Cols());
    std::fwrite(header.data(), 1, header.size(), stream);
    std::vector<double> interleaved(2 * static_cast<std::size_t>(matrix.Cols()));
    for (int row = 0; row < matrix.Rows(); ++row) {
        const double* re = matrix.Re(row);
        const double* im = matrix.Im(row);
        for (int column = 0; column < matrix.Cols(); ++column) {
            interleaved[2 * static_cast<std::size_t>(column)] = re[column];
            interleaved[2 * static_cast<std::size_t>(column) + 1] = im[column];
        }
        std::fwrite(interleaved.data(), sizeof(double), interleaved.size(), stream);
    }
}

}  // namespace nivaro
