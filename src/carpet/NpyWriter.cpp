#include "NpyWriter.h"

#include <bit>

namespace nivaro {
namespace {

static_assert(std::endian::native == std::endian::little, "the arrays are written as the machine holds them");

constexpr std::string_view kMagic("\x93NUMPY\x01\x00", 8);  // magic, then version 1.0
constexpr std::size_t kAlignment = 64;

}  // namespace

namespace {

// The header around a dict whose 'descr' and 'shape' are Python literals.
std::string NpyHeaderOf(std::string_view descrLiteral, std::string_view shapeLiteral)
{
    std::string dict = "{'descr': " + std::string(descrLiteral) + ", 'fortran_order': False, 'shape': " +
                       std::string(shapeLiteral) + ", }";
    // magic and version, two length bytes, the dict, the padding and '\n'
    const std::size_t unpadded = kMagic.size() + 2 + dict.size() + 1;
    dict.append((kAlignment - unpadded % kAlignment) % kAlignment, ' ');
    dict.push_back('\n');
    std::string header(kMagic);
    header.push_back(static_cast<char>(dict.size() & 0xFF));
    header.push_back(static_cast<char>(dict.size() >> 8));
    return header + dict;
}

}  // namespace

std::string NpyHeader(std::string_view descr, int rows, int cols)
{
    return NpyHeaderOf("'" + std::string(descr) + "'", "(" + std::to_string(rows) + ", " + std::to_string(cols) + ")");
}

// The descr of a structured dtype is a list of (name, format) pairs; gaps
// between fields are nameless void fields, which NumPy reads as padding.
std::string NpyRecordHeader(const RecordLayout& layout, std::size_t count)
{
    std::string descr;
    std::size_t at = 0;
    const auto append = [&descr](const std::string& name, const std::string& format) {
        descr += (descr.empty() ? "('" : ", ('") + name + "', '" + format + "')";
    };
    const auto pad = [&](std::size_t to) {
        if (to > at) {
            append("", "|V" + std::to_string(to - at));
        }
    };
    for (const RecordField& field : layout.fields) {
        pad(field.offset);
        append(field.name, field.type == RecordField::Type::Int64 ? "<i8" : "<f8");
        at = field.offset + 8;
    }
    pad(layout.bytes);
    return NpyHeaderOf("[" + descr + "]", "(" + std::to_string(count) + ",)");
}

void WriteNpyRecords(std::FILE* stream, const RecordLayout& layout, const void* records, std::size_t count)
{
    const std::string header = NpyRecordHeader(layout, count);
    std::fwrite(header.data(), 1, header.size(), stream);
    std::fwrite(records, layout.bytes, count, stream);
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
