#pragma once

#include <cstdio>

#include "carpet/CarpetPixels.h"

namespace nivaro {

// Writes the planes as an uncompressed 24-bit bottom-up BMP (plane row 0 is
// the picture's top line) from the stream's current position. Sizes come
// from the red plane; rows are padded with zero bytes to whole words.
// Write errors are the caller's to check on the stream.
void WriteBitmap(std::FILE* stream, const UcharMatrix& red, const UcharMatrix& green, const UcharMatrix& blue);

}  // namespace nivaro
