#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "numeric/Matrices.h"
#include "platform/RecordLayout.h"

namespace nivaro {

// NumPy's .npy format, version 1.0: the magic "\x93NUMPY", the version, the
// header's length (16 bits, little-endian) and the header itself, a Python
// dict literal padded with blanks to a multiple of 64 bytes and ended by a
// line feed; then the values in C order (row after row). numpy.load reads it.

// The header of a rows by cols array of the given type ("<f8", "<c16").
std::string NpyHeader(std::string_view descr, int rows, int cols);

// The header of `count` records, a one-dimensional array of a structured
// dtype with the layout's fields (names and offsets as given).
std::string NpyRecordHeader(const RecordLayout& layout, std::size_t count);

// The records one after the other, the header and the block each in one
// write.
void WriteNpyRecords(std::FILE* stream, const RecordLayout& layout, const void* records, std::size_t count);

// Little-endian float64, shape (rows, cols), the header and the block each
// in one write. Write errors are the caller's to check on the stream.
void WriteNpy(std::FILE* stream, const RealMatrixT& matrix);

// Little-endian complex128 (real and imaginary part interleaved).
void WriteNpy(std::FILE* stream, const ComplexGrid& matrix);

}  // namespace nivaro
