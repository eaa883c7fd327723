#include "BmpWriter.h"

#include <array>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

namespace nivaro {
namespace {

template <std::size_t Size>
class LittleEndianHeader {
public:
    void Put16(std::uint16_t value) { Put(value, 2); }
    void Put32(std::uint32_t value) { Put(value, 4); }
    const std::array<unsigned char, Size>& Bytes() const { return bytes_; }

private:
    void Put(std::uint32_t value, int count)
    {
        for (int k = 0; k < count; ++k) {
            bytes_[next_++] = static_cast<unsigned char>((value >> (8 * k)) & 0xFF);
        }
    }

    std::array<unsigned char, Size> bytes_{};
    std::size_t next_ = 0;
};

constexpr std::uint32_t kHeaderBytes = 54;
constexpr std::int32_t kPixelsPerMetre = 6416;

}  // namespace

std::uint64_t BitmapBytes(int rows, int cols)
{
    const std::uint64_t rowBytes = 3u * static_cast<std::uint64_t>(cols) + static_cast<std::uint64_t>(cols % 4);
    return static_cast<std::uint64_t>(rows) * rowBytes + kHeaderBytes;
}

bool BitmapFits(int rows, int cols)
{
    return rows >= 0 && cols >= 0 && BitmapBytes(rows, cols) <= std::numeric_limits<std::uint32_t>::max();
}

void WriteBitmap(std::FILE* stream, const UcharMatrix& red, const UcharMatrix& green, const UcharMatrix& blue)
{
    const int rows = red.Rows();
    const int cols = red.Cols();
    if (!BitmapFits(rows, cols)) {
        throw std::length_error("a BMP picture holds at most 4 GiB; " + std::to_string(cols) + " by " +
                                std::to_string(rows) + " pixels would need " + std::to_string(BitmapBytes(rows, cols)) +
                                " bytes");
    }
    const std::uint32_t rowBytes = 3u * static_cast<std::uint32_t>(cols) + static_cast<std::uint32_t>(cols % 4);

    LittleEndianHeader<kHeaderBytes> header;
    header.Put16(19778);  // "BM"
    header.Put32(static_cast<std::uint32_t>(rows) * rowBytes + kHeaderBytes);
    header.Put16(0);
    header.Put16(0);
    header.Put32(kHeaderBytes);
    header.Put32(40);
    header.Put32(static_cast<std::uint32_t>(cols));
    header.Put32(static_cast<std::uint32_t>(rows));
    header.Put16(1);
    header.Put16(24);
    header.Put32(0);
    header.Put32(0);
    header.Put32(static_cast<std::uint32_t>(kPixelsPerMetre));
    header.Put32(static_cast<std::uint32_t>(kPixelsPerMetre));
    header.Put32(0);
    header.Put32(0);
    std::fwrite(header.Bytes().data(), 1, header.Bytes().size(), stream);

    std::vector<unsigned char> line(rowBytes, 0);
    for (int i = 0; i < rows; ++i) {
        const int row = rows - 1 - i;
        for (int j = 0; j < cols; ++j) {
            line[3 * j] = blue[row][j];
            line[3 * j + 1] = green[row][j];
            line[3 * j + 2] = red[row][j];
        }
        std::fwrite(line.data(), 1, line.size(), stream);
    }
}

}  // namespace nivaro
