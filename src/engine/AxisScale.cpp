#include "AxisScale.h"

#include <charconv>
#include <cctype>
#include <cmath>
#include <optional>

namespace nivaro {
namespace {

bool IsScanBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// One "%d" conversion: leading blanks, optional sign, decimal digits.
// A number outside the int range counts as no number.
std::optional<int> ScanInteger(std::string_view& text)
{
    std::size_t pos = 0;
    while (pos < text.size() && IsScanBlank(text[pos])) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    unsigned long long magnitude = 0;
    const char* begin = text.data() + pos;
    const auto [end, error] = std::from_chars(begin, text.data() + text.size(), magnitude);
    const unsigned long long limit = negative ? 2147483648ULL : 2147483647ULL;
    if (error != std::errc{} || magnitude > limit) {
        return std::nullopt;
    }
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return static_cast<int>(negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude));
}

}  // namespace

bool AxisScale::ParseFactor(std::string_view text, double& factor)
{
    // Each part a positive whole number ("3.0" is one); one that goes on as
    // another number ("1.5", "1e400") is none.
    const auto positivePart = [](std::string_view& rest) -> std::optional<int> {
        const std::optional<int> part = ScanInteger(rest);
        if (!rest.empty() && rest.front() == '.') {
            const std::size_t zeros = rest.find_first_not_of('0', 1);
            const bool whole = zeros == std::string_view::npos || !std::isdigit(static_cast<unsigned char>(rest[zeros]));
            rest.remove_prefix(zeros == std::string_view::npos ? rest.size() : zeros);
            if (!whole) {
                return std::nullopt;
            }
        }
        const bool exponent = !rest.empty() && (rest.front() == 'e' || rest.front() == 'E');
        return part && *part >= 1 && !exponent ? part : std::nullopt;
    };
    const std::optional<int> p = positivePart(text);
    if (!p) {
        return false;
    }
    std::optional<int> q;
    // "2:" reads as 2, as the C rules leave an unread second number.
    if (!text.empty() && text.front() == ':' && text.find_first_not_of(" \t", 1) != std::string_view::npos) {
        text.remove_prefix(1);
        q = positivePart(text);
        if (!q) {
            return false;
        }
    }
    factor = (!q || *q < *p) ? static_cast<double>(*p) : 1.0 / *q;
    return true;
}

bool AxisScale::Parse(std::string_view text)
{
    double factor = 0.0;
    if (!ParseFactor(text, factor)) {
        return false;
    }
    Set(factor);
    return true;
}

void AxisScale::Step(ScaleDirection direction)
{
    switch (direction) {
    case ScaleDirection::Up:
        Set(factor_ >= 1.0 ? factor_ + 1.0 : 1.0 / std::floor(1.0 / factor_ - 1.0 + 0.1));
        break;
    case ScaleDirection::Down:
        Set(factor_ > 1.0 ? factor_ - 1.0 : 1.0 / std::floor(1.0 / factor_ + 1.0 + 0.1));
        break;
    case ScaleDirection::None:
        break;
    }
}

std::string AxisScale::Display(double factor)
{
    if (factor >= 1.0) {
        return std::to_string(static_cast<long long>(std::trunc(factor + 0.1))) + ":1";
    }
    return "1:" + std::to_string(static_cast<long long>(std::trunc(1.0 / factor + 0.1)));
}

void AxisScale::Set(double factor)
{
    factor_ = factor;
    text_ = Display(factor);
}

}  // namespace nivaro
