#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace nivaro {

// A picture handed to the encoders row by row, top row first, as
// interleaved 8-bit red, green, blue bytes.
struct RgbRowSource {
    int width;
    int height;
    std::function<void(int row, std::uint8_t* rgb)> fillRow;
};

// The encoders write beside the target and rename, so a failure never leaves
// a partial file; they throw FileError naming the file and the reason
// (including the encoder's own message).
void WritePngFile(const std::string& path, const RgbRowSource& image, int compressionLevel);
void WriteJpegFile(const std::string& path, const RgbRowSource& image, int quality);

}  // namespace nivaro
