// Data-file lines and the --format validator: a line that parses gives a
// finite position and a letter, and an accepted format formats a number
// without reading past its arguments (the sanitizers would tell).
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
        if (const std::optional<nivaro::DataFileRecord> record = nivaro::ParseDataFileLine(text.substr(begin, end - begin))) {
            if (std::isnan(record->position)) {
                std::abort();
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
