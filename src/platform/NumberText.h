#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace nivaro {

// Lenient conversions of configuration values, as the C library reads them:
// leading blanks, then the longest number that can be read; no number gives 0.
// "." is the decimal point whatever the locale. Integers beyond the int
// range are clamped.
int LeadingInteger(std::string_view text);
double LeadingReal(std::string_view text);

// The general 15-significant-digit text shown in the panel fields: fixed
// notation for decimal exponents -4 to 14, otherwise a bare exponent, as in
// "1E-8", "9.1095E-31", "0.5", "300", "1.5E20".
std::string FloatToStr(double value);

// Writes the value as printf's "%.17g" writes it in the C locale (every
// digit a double holds, so that it reads back exactly) at `out`, which has
// room for kMostG17Chars, and returns the end. Several times quicker than
// the library's conversions, which matters for files of millions of numbers.
inline constexpr int kMostG17Chars = 40;
char* WriteG17(char* out, double value);

// Strict conversions of field texts: blanks around the number are allowed,
// anything else is not.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::optional<int> ParseWholeInteger(std::string_view text);
// Finite numbers only.
std::optional<double> ParseWholeReal(std::string_view text);

// Throw ConversionError "'text' is not a valid integer value" and
// "'text' is not a valid floating point value".
int StrToInt(std::string_view text);
double StrToFloat(std::string_view text);

}  // namespace nivaro
