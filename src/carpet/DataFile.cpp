#include "DataFile.h"

#include <cctype>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <unistd.h>

namespace nivaro {
namespace {

bool IsBlank(char c)
{
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

std::size_t SkipBlanks(const std::string& text, std::size_t pos)
{
    while (pos < text.size() && IsBlank(text[pos])) {
        ++pos;
    }
    return pos;
}

}  // namespace

std::optional<DataFileRecord> ParseDataFileLine(const std::string& line)
{
    std::size_t pos = SkipBlanks(line, 0);
    const bool plusSign = pos < line.size() && line[pos] == '+';
    if (plusSign) {
        ++pos;  // from_chars takes a minus sign only
    }
    double position = 0.0;
    const auto [end, error] = std::from_chars(line.data() + pos, line.data() + line.size(), position);
    if (error != std::errc{} || (plusSign && line[pos] == '-')) {
        return std::nullopt;
    }
    const std::size_t letterPos = SkipBlanks(line, static_cast<std::size_t>(end - line.data()));
    const char letter = letterPos < line.size() ? line[letterPos] : 'M';
    return DataFileRecord{position, static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))};
}

std::optional<std::vector<DataFileRecord>> ReadDataFile(const std::string& path)
{
    std::ifstream stream(path);
    if (!stream) {
        return std::nullopt;
    }
    std::vector<DataFileRecord> records;
    for (std::string line; std::getline(stream, line);) {
        if (SkipBlanks(line, 0) == line.size()) {
            continue;
        }
        const std::optional<DataFileRecord> record = ParseDataFileLine(line);
        if (!record) {
            return records;
        }
        records.push_back(*record);
    }
    // Reading ends at the end of the file; before it, the file could not be
    // read (a folder opens as a stream but reads as nothing).
    if (stream.bad() || !stream.eof()) {
        return std::nullopt;
    }
    return records;
}

std::string DataFileLine(double position)
{
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, position, std::chars_format::fixed, 6);
    return std::string(buffer, result.ptr) + "\n";
}

bool AppendToDataFile(const std::string& path, double position)
{
    std::FILE* stream = std::fopen(path.c_str(), "a+");
    if (stream == nullptr) {
        return false;
    }
    const std::string line = DataFileLine(position);
    const bool written = std::fputs(line.c_str(), stream) >= 0;
    return std::fclose(stream) == 0 && written;
}

void DeleteDataFile(const std::string& path)
{
    std::remove(path.c_str());
}

bool DataFileIsWritable(const std::string& path)
{
    return ::access(path.c_str(), W_OK) == 0;
}

}  // namespace nivaro
