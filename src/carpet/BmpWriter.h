#pragma once

#include <cstdint>
#include <cstdio>

#include "carpet/CarpetPixels.h"

namespace nivaro {

// Writes the planes as an uncompressed 24-bit bottom-up BMP (plane row 0 is
// the picture's top line) from the stream's current position. Sizes come
// from the red plane; rows are padded with zero bytes to whole words.
// Write errors are the caller's to check on the stream. Throws
// std::length_error, before writing anything, for a picture beyond the
// format's 4 GiB.
void WriteBitmap(std::FILE* stream, const UcharMatrix& red, const UcharMatrix& green, const UcharMatrix& blue);

// The file size of a BMP of rows by columns pixels, in 64 bits.
std::uint64_t BitmapBytes(int rows, int cols);

// Whether the size fits the format's 32-bit size field.
bool BitmapFits(int rows, int cols);

}  // namespace nivaro
