#pragma once

#include <cstddef>
#include <span>

namespace nivaro {

// A fixed-size record as array files store it: a NumPy structured dtype, an
// HDF5 compound type. Fields are little-endian, as the machine holds them.
struct RecordField {
    enum class Type { Float64, Int64 };
    const char* name;
    std::size_t offset;  // bytes from the start of the record
    Type type;
    const char* unit;
};

struct RecordLayout {
    std::span<const RecordField> fields;
    std::size_t bytes;  // of one record, padding included
};

}  // namespace nivaro
