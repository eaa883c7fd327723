#include "TransmissionFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "platform/FileError.h"
#include "platform/NumberText.h"

namespace nivaro {
namespace {

// Samples beyond which a transmission is refused (a finer one than any
// fine grid would resolve).
constexpr std::size_t kMostSamples = std::size_t{1} << 24;

struct Samples {
    std::vector<double> x;
    std::vector<std::complex<double>> t;
};

bool EndsWith(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size() &&
           std::equal(suffix.rbegin(), suffix.rend(), text.rbegin(),
                      [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
}

std::string WholeFile(const std::string& path)
{
    std::ifstream stream(path, std::ios::binary);
    if (!stream) {
        throw FileError(path, errno);
    }
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

// The value of `key` in a .npy header's dictionary, up to the next comma or
// closing brace outside parentheses.
std::string HeaderValue(const std::string& header, const std::string& key)
{
    const std::size_t at = header.find("'" + key + "'");
    if (at == std::string::npos) {
        throw std::invalid_argument("its header has no '" + key + "'");
    }
    std::size_t from = header.find(':', at);
    if (from == std::string::npos) {
        throw std::invalid_argument("its header's '" + key + "' has no value");
    }
    ++from;
    int depth = 0;
    std::size_t to = from;
    for (; to < header.size(); ++to) {
        const char c = header[to];
        depth += c == '(' ? 1 : c == ')' ? -1 : 0;
        if (depth == 0 && (c == ',' || c == '}')) {
            break;
        }
    }
    std::string value = header.substr(from, to - from);
    const std::size_t first = value.find_first_not_of(" '\"");
    const std::size_t last = value.find_last_not_of(" '\"");
    return first == std::string::npos ? std::string() : value.substr(first, last - first + 1);
}

Samples NpySamples(const std::string& bytes)
{
    if (bytes.size() < 10 || bytes.compare(0, 6, "\x93NUMPY") != 0) {
        throw std::invalid_argument("it is not a NumPy array file");
    }
    const auto byte = [&bytes](std::size_t i) { return static_cast<std::size_t>(static_cast<unsigned char>(bytes[i])); };
    const bool longHeader = byte(6) >= 2;
    const std::size_t lengthBytes = longHeader ? 4 : 2;
    if (bytes.size() < 8 + lengthBytes) {
        throw std::invalid_argument("its header is cut short");
    }
    std::size_t headerLength = 0;
    for (std::size_t i = 0; i < lengthBytes; ++i) {
        headerLength |= byte(8 + i) << (8 * i);
    }
    const std::size_t dataStart = 8 + lengthBytes + headerLength;
    if (dataStart > bytes.size()) {
        throw std::invalid_argument("its header is cut short");
    }
    const std::string header = bytes.substr(8 + lengthBytes, headerLength);
    const std::string type = HeaderValue(header, "descr");
    const bool complex = type == "<c16";
    if (!complex && type != "<f8") {
        throw std::invalid_argument("its values are " + type + ", not float64 (<f8) or complex128 (<c16)");
    }
    const bool fortran = HeaderValue(header, "fortran_order") == "True";
    const std::string shape = HeaderValue(header, "shape");
    std::size_t rows = 0;
    std::size_t columns = 0;
    char comma = 0;
    char close = 0;
    std::istringstream shapeText(shape);
    if (!(shapeText >> close >> rows >> comma >> columns) || close != '(' || comma != ',' || columns != 2) {
        throw std::invalid_argument("its shape is " + shape + ", not (n, 2)");
    }
    if (rows > kMostSamples) {
        throw std::invalid_argument("it holds more than " + std::to_string(kMostSamples) + " samples");
    }
    const std::size_t itemBytes = complex ? 16 : 8;
    if (bytes.size() - dataStart != rows * 2 * itemBytes) {
        throw std::invalid_argument("it holds " + std::to_string(bytes.size() - dataStart) + " bytes of values, not " +
                                    std::to_string(rows * 2 * itemBytes));
    }
    const auto value = [&](std::size_t row, std::size_t column) {
        const std::size_t index = fortran ? column * rows + row : row * 2 + column;
        double parts[2] = {0.0, 0.0};
        std::memcpy(parts, bytes.data() + dataStart + index * itemBytes, itemBytes);
        return std::complex<double>(parts[0], parts[1]);
    };
    Samples samples;
    for (std::size_t row = 0; row < rows; ++row) {
        samples.x.push_back(value(row, 0).real());
        samples.t.push_back(value(row, 1));
    }
    return samples;
}

Samples TextSamples(const std::string& text)
{
    Samples samples;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        for (char& c : line) {
            c = c == ',' || c == '\t' || c == '\r' ? ' ' : c;
        }
        std::istringstream fields(line);
        std::vector<double> values;
        for (std::string field; fields >> field;) {
            if (values.empty() && field.front() == '#') {
                break;
            }
            const std::optional<double> parsed = ParseWholeReal(field);
            if (!parsed) {
                throw std::invalid_argument("line " + std::to_string(number) + ": '" + field + "' is not a number");
            }
            values.push_back(*parsed);
        }
        if (values.empty()) {
            continue;
        }
        if (values.size() != 2 && values.size() != 3) {
            throw std::invalid_argument("line " + std::to_string(number) + " has " + std::to_string(values.size()) +
                                        " columns, not 2 (x, t) or 3 (x, Re t, Im t)");
        }
        if (samples.x.size() == kMostSamples) {
            throw std::invalid_argument("it holds more than " + std::to_string(kMostSamples) + " samples");
        }
        samples.x.push_back(values[0]);
        samples.t.emplace_back(values[1], values.size() == 3 ? values[2] : 0.0);
    }
    return samples;
}

}  // namespace

std::shared_ptr<const TransmissionTable> ReadTransmissionFile(const std::string& path)
{
    const std::string bytes = WholeFile(path);
    try {
        Samples samples = EndsWith(path, ".npy") ? NpySamples(bytes) : TextSamples(bytes);
        return std::make_shared<const TransmissionTable>(std::move(samples.x), std::move(samples.t));
    } catch (const std::invalid_argument& error) {
        throw FileError(path, std::string("not a usable transmission: ") + error.what());
    }
}

void UseTransmissionFile(WaveSettings& wave, const std::string& path)
{
    wave.transmission = path.empty() ? nullptr : ReadTransmissionFile(path);
    wave.transmissionFile = path;
}

}  // namespace nivaro
