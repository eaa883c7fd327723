// Data-file lines and the --format validator: a finite position the reader
// takes reads back the same from the line the program writes for it (a
// "nan" line is read as the C library reads it, and its trace ends at once),
// and an accepted format formats a number without reading past its
// arguments (the sanitizers would tell).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "carpet/DataFile.h"
#include "carpet/TableWriter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::size_t begin = 0;
    while (begin <= text.size()) {
        const std::size_t end = std::min(text.find('\n', begin), text.size());
        const std::optional<nivaro::DataFileRecord> record = nivaro::ParseDataFileLine(text.substr(begin, end - begin));
        if (record && std::isfinite(record->position) && std::abs(record->position) < 1e12) {
            const std::optional<nivaro::DataFileRecord> again =
                nivaro::ParseDataFileLine(nivaro::DataFileLine(record->position));
            if (!again || std::abs(again->position - record->position) > 1e-6) {  // six decimals
                std::abort();  // the written line does not give the position back
            }
        }
        begin = end + 1;
    }
    if (nivaro::IsSingleRealFormat(text)) {
        char formatted[512];
        std::snprintf(formatted, sizeof formatted, text.c_str(), 1234.5678);
    }
    return 0;
}
