#include "TableWriter.h"

#include <cctype>
#include <charconv>
#include <cstring>
#include <string>
#include <locale.h>

namespace nivaro {
namespace {

// printf follows LC_NUMERIC, which a GUI toolkit may have set to the user's
// comma locale; tables always use the decimal point.
class CNumericScope {
public:
    CNumericScope() : c_(::newlocale(LC_NUMERIC_MASK, "C", nullptr)), previous_(c_ ? ::uselocale(c_) : nullptr) {}
    CNumericScope(const CNumericScope&) = delete;
    CNumericScope& operator=(const CNumericScope&) = delete;
    ~CNumericScope()
    {
        if (c_ != nullptr) {
            ::uselocale(previous_);
            ::freelocale(c_);
        }
    }

private:
    locale_t c_;
    locale_t previous_;
};

// The default "% .4f": a space for the sign of non-negative values, then
// the value rounded to four decimals. to_chars rounds exactly, as printf does.
void AppendDefaultValue(std::string& line, double value)
{
    char text[400];
    text[0] = ' ';
    const std::to_chars_result result = std::to_chars(text + 1, text + sizeof text, value, std::chars_format::fixed, 4);
    const char* begin = text[1] == '-' ? text + 1 : text;
    line.append(begin, static_cast<std::size_t>(result.ptr - begin));
}

void AppendFormattedValue(std::string& line, const char* format, double value)
{
    char text[512];
    const int length = std::snprintf(text, sizeof text, format, value);
    if (length >= static_cast<int>(sizeof text)) {
        std::string wide(static_cast<std::size_t>(length) + 1, '\0');
        std::snprintf(wide.data(), wide.size(), format, value);
        line.append(wide.data(), static_cast<std::size_t>(length));
    } else if (length > 0) {
        line.append(text, static_cast<std::size_t>(length));
    }
}

}  // namespace

bool WriteTable(std::FILE* stream, const RealMatrixT& matrix, const char* header, const char* format)
{
    if (stream == nullptr) {
        return false;
    }
    const CNumericScope decimalPoint;
    if (header != nullptr) {
        std::fputs(header, stream);
    }
    const bool defaultFormat = format == nullptr || std::strcmp(format, kDefaultValueFormat) == 0;
    std::string line;
    for (int i = 0; i < matrix.Rows(); ++i) {
        line.clear();
        const double* row = matrix[i];
        for (int j = 0; j < matrix.Cols(); ++j) {
            if (defaultFormat) {
                AppendDefaultValue(line, row[j]);
            } else {
                AppendFormattedValue(line, format, row[j]);
            }
            line.push_back('\t');
        }
        line.push_back('\n');
        std::fwrite(line.data(), 1, line.size(), stream);
    }
    std::fputc('\n', stream);
    return true;
}

namespace {

// Skips at most two digits; false when a third follows.
bool SkipShortNumber(std::string_view format, std::size_t& pos)
{
    int digits = 0;
    while (pos < format.size() && std::isdigit(static_cast<unsigned char>(format[pos]))) {
        ++pos;
        ++digits;
    }
    return digits <= 2;
}

}  // namespace

bool IsSingleRealFormat(std::string_view format)
{
    if (format.find('\0') != std::string_view::npos) {
        return false;  // printf would stop there
    }
    int conversions = 0;
    for (std::size_t pos = 0; pos < format.size(); ++pos) {
        if (format[pos] != '%') {
            continue;
        }
        ++pos;
        if (pos < format.size() && format[pos] == '%') {
            continue;
        }
        while (pos < format.size() && std::strchr("-+ #0", format[pos]) != nullptr) {
            ++pos;
        }
        if (!SkipShortNumber(format, pos)) {
            return false;
        }
        if (pos < format.size() && format[pos] == '.') {
            ++pos;
            if (!SkipShortNumber(format, pos)) {
                return false;
            }
        }
        if (pos >= format.size() || std::strchr("fFeEgGaA", format[pos]) == nullptr) {
            return false;
        }
        ++conversions;
    }
    return conversions == 1;
}

}  // namespace nivaro
