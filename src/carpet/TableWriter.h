#pragma once

#include <cstdio>
#include <string_view>

#include "numeric/Matrices.h"

namespace nivaro {

inline constexpr const char* kDefaultValueFormat = "% .4f";

// Writes the matrix as a text table: each value in the printf format (the
// default "% .4f" when none is given) followed by a tab, a line feed after
// every row and one more at the end; a header, when given, goes first.
// Returns false without writing when there is no stream. Write errors are
// the caller's to check on the stream.
bool WriteTable(std::FILE* stream, const RealMatrixT& matrix, const char* header = nullptr, const char* format = nullptr);

// Whether a printf format holds exactly one conversion of a double
// (f, F, e, E, g, G, a or A, with flags, a width and a precision of at most
// two digits each, and no length modifier) and otherwise only literal text
// and "%%". Only such a format is safe to hand to WriteTable.
bool IsSingleRealFormat(std::string_view format);

}  // namespace nivaro
