#include "RasterImageFile.h"

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <vector>

#include <jpeglib.h>
#include <png.h>

#include "AtomicFile.h"
#include "platform/ProgramVersion.h"
#include "FileError.h"

namespace nivaro {
namespace {

// The C libraries report errors by longjmp; these functions keep only plain
// data between setjmp and longjmp and hand the message back as text.
// A failed write of the file is kept as the system's reason, which the
// libraries' own texts only guess at.
struct EncoderFailure {
    jmp_buf jump;
    char message[JMSG_LENGTH_MAX > 256 ? JMSG_LENGTH_MAX : 256];
    int writeError = 0;
};

void KeepWriteError(std::FILE* stream, EncoderFailure& failure)
{
    if (stream != nullptr && std::ferror(stream)) {
        failure.writeError = errno != 0 ? errno : EIO;
    }
}

void PngError(png_structp png, png_const_charp message)
{
    auto* failure = static_cast<EncoderFailure*>(png_get_error_ptr(png));
    KeepWriteError(static_cast<std::FILE*>(png_get_io_ptr(png)), *failure);
    std::snprintf(failure->message, sizeof failure->message, "%s", message);
    std::longjmp(failure->jump, 1);
}

void PngWarning(png_structp, png_const_charp) {}

bool EncodePng(std::FILE* stream, const RgbRowSource& image, int compressionLevel, std::uint8_t* row,
               EncoderFailure& failure)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &failure, PngError, PngWarning);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (png == nullptr || info == nullptr) {
        std::snprintf(failure.message, sizeof failure.message, "out of memory");
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(failure.jump) != 0) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, stream);
    png_set_compression_level(png, compressionLevel);
    // Unfiltered rows: on the flat colours of the chart and the smooth greys of
    // the carpet, zlib at level 9 spends several times longer on filtered rows
    // (the library's adaptive default), for a file at most a fifth smaller.
    png_set_filter(png, 0, PNG_FILTER_NONE);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // Tells viewers and file tools what made the picture. libpng copies the
    // texts and never writes through its non-const pointers; nothing with a
    // destructor may live here, between setjmp and the library's longjmp.
    png_text softwareText{};
    softwareText.compression = PNG_TEXT_COMPRESSION_NONE;
    softwareText.key = const_cast<char*>("Software");
    softwareText.text = const_cast<char*>(kSoftwareName);
    png_set_text(png, info, &softwareText, 1);
    png_write_info(png, info);
    for (int y = 0; y < image.height; ++y) {
        image.fillRow(y, row);
        png_write_row(png, row);
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

struct JpegErrorManager {
    jpeg_error_mgr base;
    EncoderFailure* failure;
    std::FILE* stream;
};

void JpegError(j_common_ptr info)
{
    auto* manager = reinterpret_cast<JpegErrorManager*>(info->err);
    KeepWriteError(manager->stream, *manager->failure);
    (*info->err->format_message)(info, manager->failure->message);
    std::longjmp(manager->failure->jump, 1);
}

bool EncodeJpeg(std::FILE* stream, const RgbRowSource& image, int quality, std::uint8_t* row, EncoderFailure& failure)
{
    jpeg_compress_struct info{};
    JpegErrorManager errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = JpegError;
    errors.failure = &failure;
    errors.stream = stream;
    if (setjmp(failure.jump) != 0) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, stream);
    info.image_width = static_cast<JDIMENSION>(image.width);
    info.image_height = static_cast<JDIMENSION>(image.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    for (int y = 0; y < image.height; ++y) {
        image.fillRow(y, row);
        JSAMPROW rows[1] = {row};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

using Encoder = bool (*)(std::FILE*, const RgbRowSource&, int, std::uint8_t*, EncoderFailure&);

void WriteEncoded(const std::string& path, const RgbRowSource& image, int setting, Encoder encode)
{
    if (image.width <= 0 || image.height <= 0) {
        throw std::invalid_argument(path + ": an image needs at least one pixel");
    }
    AtomicFile file(path, true);
    std::vector<std::uint8_t> row(3 * static_cast<std::size_t>(image.width));
    EncoderFailure failure{};
    if (!encode(file.Stream(), image, setting, row.data(), failure)) {
        if (failure.writeError != 0) {
            throw FileError(path, failure.writeError);
        }
        throw FileError(path, failure.message);
    }
    file.Commit();
}

}  // namespace

void WritePngFile(const std::string& path, const RgbRowSource& image, int compressionLevel)
{
    WriteEncoded(path, image, compressionLevel, EncodePng);
}

void WriteJpegFile(const std::string& path, const RgbRowSource& image, int quality)
{
    WriteEncoded(path, image, quality, EncodeJpeg);
}

}  // namespace nivaro
