#include "TableWriter.h"

#include <cctype>
#include <cstring>
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

}  // namespace

bool WriteTable(std::FILE* stream, const RealMatrixT& matrix, const char* header, const char* format)
{
    if (stream == nullptr) {
        return false;
    }
    const CNumericScope decimalPoint;
    if (header != nullptr) {
        std::fprintf(stream, "%s", header);
    }
    const char* valueFormat = format != nullptr ? format : kDefaultValueFormat;
    for (int i = 0; i < matrix.Rows(); ++i) {
        const double* row = matrix[i];
        for (int j = 0; j < matrix.Cols(); ++j) {
            std::fprintf(stream, valueFormat, row[j]);
            std::fputc('\t', stream);
        }
        std::fputc('\n', stream);
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
