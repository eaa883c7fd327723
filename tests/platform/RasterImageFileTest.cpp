#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jpeglib.h>
#include <png.h>

#include "TestFiles.h"
#include "platform/FileError.h"
#include "platform/RasterImageFile.h"

namespace nivaro {
namespace {

// A picture of three stripes, stripe rows high: red on top, green in the
// middle, blue at the bottom.
RgbRowSource StripedImage(int width, int stripe)
{
    return {width, 3 * stripe, [width, stripe](int row, std::uint8_t* rgb) {
                for (int x = 0; x < width; ++x) {
                    rgb[3 * x] = row / stripe == 0 ? 255 : 0;
                    rgb[3 * x + 1] = row / stripe == 1 ? 255 : 0;
                    rgb[3 * x + 2] = row / stripe == 2 ? 255 : 0;
                }
            }};
}

struct DecodedImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};

DecodedImage DecodePng(const std::string& path)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    DecodedImage decoded;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
        return decoded;
    }
    image.format = PNG_FORMAT_RGB;
    decoded.width = static_cast<int>(image.width);
    decoded.height = static_cast<int>(image.height);
    decoded.rgb.resize(PNG_IMAGE_SIZE(image));
    png_image_finish_read(&image, nullptr, decoded.rgb.data(), 0, nullptr);
    return decoded;
}

DecodedImage DecodeJpeg(const std::string& path)
{
    DecodedImage decoded;
    std::FILE* stream = std::fopen(path.c_str(), "rb");
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, stream);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    decoded.width = static_cast<int>(info.output_width);
    decoded.height = static_cast<int>(info.output_height);
    decoded.rgb.resize(3 * info.output_width * info.output_height);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = decoded.rgb.data() + 3 * info.output_width * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(stream);
    return decoded;
}

TEST(RasterImageFile, PngHoldsTheExactPixelsTopRowFirst)
{
    const ScratchFolder folder;
    const std::string path = (folder / "carpet.png").string();
    WritePngFile(path, StripedImage(5, 1), 9);
    const DecodedImage image = DecodePng(path);
    ASSERT_EQ(image.width, 5);
    ASSERT_EQ(image.height, 3);
    EXPECT_EQ(image.rgb[0], 255);
    EXPECT_EQ(image.rgb[1], 0);
    EXPECT_EQ(image.rgb[3 * 5 + 1], 255);
    EXPECT_EQ(image.rgb[3 * 10 + 2], 255);
}

TEST(RasterImageFile, JpegHoldsThePictureUpToCompression)
{
    const ScratchFolder folder;
    const std::string path = (folder / "carpet.jpg").string();
    WriteJpegFile(path, StripedImage(16, 16), 90);
    const DecodedImage image = DecodeJpeg(path);
    ASSERT_EQ(image.width, 16);
    ASSERT_EQ(image.height, 48);
    EXPECT_GT(image.rgb[0], 230) << "red on top";
    EXPECT_LT(image.rgb[2], 25);
    const std::size_t bottomRight = image.rgb.size() - 3;
    EXPECT_GT(image.rgb[bottomRight + 2], 230) << "blue at the bottom";
    EXPECT_LT(image.rgb[bottomRight], 25);
}

TEST(RasterImageFile, FailuresLeaveNoFile)
{
    const ScratchFolder folder;
    EXPECT_THROW(WritePngFile((folder / "missing" / "x.png").string(), StripedImage(5, 1), 9), FileError);
    try {
        WriteJpegFile((folder / "x.jpg").string(), StripedImage(70000, 1), 90);
        FAIL() << "JPEG has no room for 70000 columns";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("65500"), std::string::npos) << error.what();
    }
    RgbRowSource empty = StripedImage(5, 1);
    empty.width = 0;
    EXPECT_THROW(WritePngFile((folder / "x.png").string(), empty, 9), std::invalid_argument);
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

}  // namespace
}  // namespace nivaro
