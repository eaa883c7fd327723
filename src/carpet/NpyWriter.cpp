#include "NpyWriter.h"

#include <bit>

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

namespace {

template <typename Element>
void WriteArray(std::FILE* stream, std::string_view descr, const Grid<Element>& matrix)
{
    const std::string header = NpyHeader(descr, matrix.Rows(), matrix.Cols());
    std::fwrite(header.data(), 1, header.size(), stream);
    std::fwrite(matrix.Data(), sizeof(Element), matrix.Size(), stream);
}

}  // namespace

void WriteNpy(std::FILE* stream, const RealMatrixT& matrix)
{
    WriteArray(stream, "<f8", matrix);
}

void WriteNpy(std::FILE* stream, const ComplexGrid& matrix)
{
    WriteArray(stream, "<c16", matrix);
}

}  // namespace nivaro
