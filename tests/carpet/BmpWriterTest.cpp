#include <gtest/gtest.h>

#include <cstdint>

#include "TestFiles.h"
#include "carpet/BmpWriter.h"

namespace nivaro {
namespace {

std::uint32_t Read32(const std::string& bytes, std::size_t offset)
{
    std::uint32_t value = 0;
    for (int k = 3; k >= 0; --k) {
        value = (value << 8) | static_cast<unsigned char>(bytes[offset + static_cast<std::size_t>(k)]);
    }
    return value;
}

std::uint16_t Read16(const std::string& bytes, std::size_t offset)
{
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[offset]) |
                                      (static_cast<unsigned char>(bytes[offset + 1]) << 8));
}

std::string BitmapFileBytes(const UcharMatrix& red, const UcharMatrix& green, const UcharMatrix& blue)
{
    const ScratchFolder folder;
    const auto path = folder / "out.bmp";
    std::FILE* stream = std::fopen(path.c_str(), "wb");
    WriteBitmap(stream, red, green, blue);
    std::fclose(stream);
    return ReadWholeFile(path);
}

TEST(BmpWriter, HeaderFieldsAndPaddingForEachWidth)
{
    struct Case {
        int cols;
        std::uint32_t rowBytes;
    };
    for (const Case c : {Case{300, 900}, Case{301, 904}, Case{302, 908}, Case{303, 912}}) {
        UcharMatrix plane(300, c.cols);
        plane.Clear();
        const std::string bytes = BitmapFileBytes(plane, plane, plane);
        ASSERT_EQ(bytes.size(), 300u * c.rowBytes + 54u) << c.cols;
        EXPECT_EQ(bytes.substr(0, 2), "BM");
        EXPECT_EQ(Read32(bytes, 2), bytes.size());
        EXPECT_EQ(Read32(bytes, 6), 0u);
        EXPECT_EQ(Read32(bytes, 10), 54u);
        EXPECT_EQ(Read32(bytes, 14), 40u);
        EXPECT_EQ(Read32(bytes, 18), static_cast<std::uint32_t>(c.cols));
        EXPECT_EQ(Read32(bytes, 22), 300u);
        EXPECT_EQ(Read16(bytes, 26), 1u);
        EXPECT_EQ(Read16(bytes, 28), 24u);
        EXPECT_EQ(Read32(bytes, 30), 0u);
        EXPECT_EQ(Read32(bytes, 34), 0u);
        EXPECT_EQ(Read32(bytes, 38), 6416u);
        EXPECT_EQ(Read32(bytes, 42), 6416u);
        EXPECT_EQ(Read32(bytes, 46), 0u);
        EXPECT_EQ(Read32(bytes, 50), 0u);
    }
    EXPECT_EQ(BitmapFileBytes(UcharMatrix(300, 300), UcharMatrix(300, 300), UcharMatrix(300, 300)).size(), 270054u);
}

TEST(BmpWriter, RowsAreStoredBottomUpAsBlueGreenRedWithZeroPadding)
{
    UcharMatrix red(2, 3);
    UcharMatrix green(2, 3);
    UcharMatrix blue(2, 3);
    for (UcharMatrix* plane : {&red, &green, &blue}) {
        plane->Clear();
    }
    red[0][0] = 255;   // top-left pixel red
    blue[1][2] = 7;    // bottom-right pixel
    green[1][0] = 9;
    const std::string bytes = BitmapFileBytes(red, green, blue);
    ASSERT_EQ(bytes.size(), 54u + 2 * 12u);
    const std::string bottomLine = bytes.substr(54, 12);
    const std::string topLine = bytes.substr(66, 12);
    EXPECT_EQ(bottomLine, std::string("\0\x09\0\0\0\0\x07\0\0\0\0\0", 12));
    EXPECT_EQ(topLine, std::string("\0\0\xff\0\0\0\0\0\0\0\0\0", 12));
}

TEST(BmpWriter, PicturesBeyondTheFormatsFourGibibytesDoNotFit)
{
    EXPECT_EQ(BitmapBytes(300, 300), 54u + 300u * 900u);
    EXPECT_TRUE(BitmapFits(300, 300));
    EXPECT_TRUE(BitmapFits(37000, 38000));
    EXPECT_FALSE(BitmapFits(38000, 38000)) << "the 32-bit size field would wrap";
    EXPECT_FALSE(BitmapFits(2147483647, 2147483647));
}

}  // namespace
}  // namespace nivaro
