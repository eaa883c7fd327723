#include "NumberText.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <locale.h>

#include "TextMatching.h"

namespace nivaro {
namespace {

locale_t CLocale()
{
    static const locale_t c = ::newlocale(LC_ALL_MASK, "C", nullptr);
    return c;
}

template <typename Number>
std::optional<Number> ParseWhole(std::string_view text)
{
    text = Trimmed(text);
    if (text.size() > 1 && text.front() == '+' && text[1] != '-') {
        text.remove_prefix(1);  // from_chars takes a minus sign only
    }
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

int LeadingInteger(std::string_view text)
{
    const std::string terminated(text);
    const long value = std::strtol(terminated.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX));
}

double LeadingReal(std::string_view text)
{
    const std::string terminated(text);
    return ::strtod_l(terminated.c_str(), nullptr, CLocale());
}

std::string FloatToStr(double value)
{
    if (std::isnan(value)) {
        return "NAN";
    }
    if (std::isinf(value)) {
        return value > 0 ? "INF" : "-INF";
    }
    if (value == 0.0) {
        return "0";
    }
    // d.dddddddddddddde±x: fifteen significant digits, correctly rounded.
    char scientific[32];
    const auto written = std::to_chars(scientific, scientific + sizeof scientific, value, std::chars_format::scientific, 14);
    const std::string_view text(scientific, static_cast<std::size_t>(written.ptr - scientific));
    const bool negative = text.front() == '-';
    const std::size_t exponentAt = text.find('e');
    std::string digits;
    for (const char c : text.substr(negative ? 1 : 0, exponentAt - (negative ? 1 : 0))) {
        if (c != '.') {
            digits += c;
        }
    }
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
    }
    int exponent = 0;
    const std::string_view exponentText = text.substr(exponentAt + 1);
    std::from_chars(exponentText.data() + (exponentText.front() == '+' ? 1 : 0),
                    exponentText.data() + exponentText.size(), exponent);

    std::string result = negative ? "-" : "";
    if (exponent < -4 || exponent >= 15) {
        result += digits.substr(0, 1);
        if (digits.size() > 1) {
            result += "." + digits.substr(1);
        }
        return result + "E" + std::to_string(exponent);
    }
    if (exponent < 0) {
        return result + "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    }
    const std::size_t integerDigits = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= integerDigits) {
        return result + digits + std::string(integerDigits - digits.size(), '0');
    }
    return result + digits.substr(0, integerDigits) + "." + digits.substr(integerDigits);
}

std::optional<int> ParseWholeInteger(std::string_view text)
{
    return ParseWhole<int>(text);
}

std::optional<double> ParseWholeReal(std::string_view text)
{
    const std::optional<double> value = ParseWhole<double>(text);
    if (value && !std::isfinite(*value)) {
        return std::nullopt;
    }
    return value;
}

int StrToInt(std::string_view text)
{
    if (const std::optional<int> value = ParseWholeInteger(text)) {
        return *value;
    }
    throw ConversionError("'" + std::string(text) + "' is not a valid integer value");
}

double StrToFloat(std::string_view text)
{
    if (const std::optional<double> value = ParseWholeReal(text)) {
        return *value;
    }
    throw ConversionError("'" + std::string(text) + "' is not a valid floating point value");
}

}  // namespace nivaro
