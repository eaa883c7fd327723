#include "NumberText.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
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

namespace {

__extension__ typedef unsigned __int128 Wide;

constexpr int kG17Digits = 17;
constexpr std::uint64_t kSmallestG17 = 10'000'000'000'000'000;   // 10^16
constexpr std::uint64_t kPastG17 = 100'000'000'000'000'000;      // 10^17
// A 53-bit mantissa times 5^27 (< 2^63) still fits in 128 bits.
constexpr int kMostPowerOfFive = 27;

constexpr std::array<std::uint64_t, kMostPowerOfFive + 1> kPowersOfFive = [] {
    std::array<std::uint64_t, kMostPowerOfFive + 1> powers{};
    powers[0] = 1;
    for (std::size_t k = 1; k < powers.size(); ++k) {
        powers[k] = powers[k - 1] * 5;
    }
    return powers;
}();

struct ScaledValue {
    std::uint64_t whole;  // truncated
    bool roundsUp;        // to nearest, ties to even, as printf rounds
};

// mantissa * 2^exponent * 10^scale, exactly, when 128 bits hold it: the
// product of the mantissa and 5^scale is shifted by exponent + scale.
std::optional<ScaledValue> Scale(std::uint64_t mantissa, int exponent, int scale)
{
    if (scale < 0 || scale > kMostPowerOfFive) {
        return std::nullopt;
    }
    const Wide product = Wide{mantissa} * kPowersOfFive[static_cast<std::size_t>(scale)];
    const int shift = exponent + scale;
    if (shift >= 0) {  // a whole number below 10^18
        return ScaledValue{static_cast<std::uint64_t>(product << shift), false};
    }
    if (-shift >= 116) {
        return std::nullopt;
    }
    const Wide whole = product >> -shift;
    const Wide remainder = product - (whole << -shift);
    const Wide half = Wide{1} << (-shift - 1);
    const bool roundsUp = remainder > half || (remainder == half && (whole & 1) != 0);
    return ScaledValue{static_cast<std::uint64_t>(whole), roundsUp};
}

constexpr std::array<char, 200> kDigitPairs = [] {
    std::array<char, 200> pairs{};
    for (std::size_t k = 0; k < 100; ++k) {
        pairs[2 * k] = static_cast<char>('0' + k / 10);
        pairs[2 * k + 1] = static_cast<char>('0' + k % 10);
    }
    return pairs;
}();

// The eight digits of a number below 10^8, two at a time.
void WriteEightDigits(char* out, std::uint32_t value)
{
    for (int pair = 3; pair >= 0; --pair) {
        std::copy_n(&kDigitPairs[2 * (value % 100)], 2, out + 2 * pair);
        value /= 100;
    }
}

// The 17 digits of a number below 10^17, as two short runs of 32-bit
// divisions rather than one long run of 64-bit ones.
void WriteG17Digits(char* digits, std::uint64_t value)
{
    constexpr std::uint64_t kEightDigits = 100'000'000;
    const auto high = static_cast<std::uint32_t>(value / kEightDigits);
    digits[0] = static_cast<char>('0' + high / kEightDigits);
    WriteEightDigits(digits + 1, static_cast<std::uint32_t>(high % kEightDigits));
    WriteEightDigits(digits + 9, static_cast<std::uint32_t>(value % kEightDigits));
}

// The digits are followed by room, so that the layouts below copy them in
// runs of constant length (single vector moves) and then count the chars
// that hold; what lies beyond the returned end is scratch.
constexpr int kDigitRoom = 40;

// The 17 digits and the decimal exponent of the first, laid out as %g lays
// them out: fixed notation for exponents -4 to 16, else d.ddde±XX, without
// trailing zeros.
char* LayOutG17(char* out, const char (&digits)[kDigitRoom], int exponent)
{
    int kept = kG17Digits;
    while (kept > 1 && digits[kept - 1] == '0') {
        --kept;
    }
    if (exponent < -4 || exponent >= kG17Digits) {
        out[0] = digits[0];
        out[1] = '.';
        std::memcpy(out + 2, digits + 1, kG17Digits - 1);
        out += kept > 1 ? kept + 1 : 1;
        *out++ = 'e';
        *out++ = exponent < 0 ? '-' : '+';
        const int magnitude = std::abs(exponent);
        if (magnitude < 10) {
            *out++ = '0';
        }
        return std::to_chars(out, out + 4, magnitude).ptr;
    }
    if (exponent < 0) {  // "0.", then up to three zeros
        std::memcpy(out, "0.000", 5);
        out += 1 - exponent;
        std::memcpy(out, digits, kG17Digits);
        return out + kept;
    }
    std::memcpy(out, digits, kG17Digits);
    if (kept <= exponent + 1) {
        return out + exponent + 1;
    }
    out[exponent + 1] = '.';
    std::memcpy(out + exponent + 2, digits + exponent + 1, kG17Digits - 1);
    return out + kept + 1;
}

}  // namespace

char* WriteG17(char* out, double value)
{
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const int biased = static_cast<int>((bits >> 52) & 0x7FF);
    if (biased == 0 || biased == 0x7FF) {  // zero, subnormal, infinite, NaN
        return std::to_chars(out, out + kMostG17Chars, value, std::chars_format::general, kG17Digits).ptr;
    }
    const std::uint64_t mantissa = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
    const int exponent = biased - 1075;
    // The decimal exponent from log2 of the value, the mantissa's top bits
    // standing in for log2 of its fraction: right but for one in a few
    // dozen values, which the scaled value's size tells.
    constexpr int kFractionBits = 20;
    const std::int64_t log2Fixed = (std::int64_t{biased - 1023} << kFractionBits) +
                                   static_cast<std::int64_t>((mantissa >> (52 - kFractionBits)) & ((1 << kFractionBits) - 1));
    int decimal = static_cast<int>((log2Fixed * 78913) >> (18 + kFractionBits));  // 78913 / 2^18 ~ log10(2)
    std::optional<ScaledValue> scaled = Scale(mantissa, exponent, kG17Digits - 1 - decimal);
    for (int corrections = 0; scaled && corrections < 2; ++corrections) {
        const int step = scaled->whole >= kPastG17 ? 1 : scaled->whole < kSmallestG17 ? -1 : 0;
        if (step == 0) {
            break;
        }
        decimal += step;
        scaled = Scale(mantissa, exponent, kG17Digits - 1 - decimal);
    }
    if (!scaled) {  // too large or too small for 128 bits: rare in the program's files
        return std::to_chars(out, out + kMostG17Chars, value, std::chars_format::general, kG17Digits).ptr;
    }
    std::uint64_t whole = scaled->whole + (scaled->roundsUp ? 1 : 0);
    if (whole == kPastG17) {
        whole = kSmallestG17;
        ++decimal;
    }
    char digits[kDigitRoom];
    WriteG17Digits(digits, whole);
    if (std::signbit(value)) {
        *out++ = '-';
    }
    return LayOutG17(out, digits, decimal);
}

}  // namespace nivaro
