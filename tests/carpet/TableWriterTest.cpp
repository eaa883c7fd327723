#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <iterator>
#include <limits>

#include "TestFiles.h"
#include "carpet/TableWriter.h"

namespace nivaro {
namespace {

std::string TableText(const RealMatrixT& matrix, const char* header = nullptr, const char* format = nullptr)
{
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* stream = ::open_memstream(&buffer, &size);
    EXPECT_TRUE(WriteTable(stream, matrix, header, format));
    std::fclose(stream);
    std::string text(buffer, size);
    std::free(buffer);
    return text;
}

TEST(WriteTable, DefaultFormatWithATabAfterEveryValueAndAFinalEmptyLine)
{
    RealMatrixT matrix(2, 3);
    const double values[2][3] = {{0.5, -0.25, 0.0}, {1.0, 2.0, 3.0}};
    for (int i = 0; i < 2; ++i) {
        std::copy(values[i], values[i] + 3, matrix[i]);
    }
    EXPECT_EQ(TableText(matrix), " 0.5000\t-0.2500\t 0.0000\t\n 1.0000\t 2.0000\t 3.0000\t\n\n");
}

TEST(WriteTable, RoundsToFourDecimalsAndKeepsLargeAndTinyValues)
{
    RealMatrixT matrix(1, 3);
    matrix[0][0] = 1234.56789;
    matrix[0][1] = -1e-9;
    matrix[0][2] = 1e12;
    EXPECT_EQ(TableText(matrix), " 1234.5679\t-0.0000\t 1000000000000.0000\t\n\n");
}

TEST(WriteTable, TheDefaultFormatWritesWhatPrintfWrites)
{
    const double values[] = {0.03125,  -0.03125, 0.00005, 2.5e-5,    0.00015, -0.0,      1e300, -1e-300,
                             12345.67895, 7.0 / 3.0, std::nan(""), -std::numeric_limits<double>::infinity()};
    RealMatrixT matrix(1, static_cast<int>(std::size(values)));
    std::copy(std::begin(values), std::end(values), matrix[0]);
    std::string expected;
    for (const double value : values) {
        char text[400];
        std::snprintf(text, sizeof text, "% .4f\t", value);
        expected += text;
    }
    EXPECT_EQ(TableText(matrix), expected + "\n\n");
}

TEST(WriteTable, HeaderAndFormatAreUsedAndAMissingStreamWritesNothing)
{
    RealMatrixT matrix(1, 2);
    matrix.Clear();
    matrix[0][0] = 0.125;
    EXPECT_EQ(TableText(matrix, "# norm\n", "%.2e"), "# norm\n1.25e-01\t0.00e+00\t\n\n");
    EXPECT_FALSE(WriteTable(nullptr, matrix));
}

TEST(WriteTable, KeepsTheDecimalPointUnderACommaLocale)
{
    RealMatrixT matrix(1, 1);
    matrix[0][0] = 0.5;
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr) << "the set-up script generates this locale";
    const std::string text = TableText(matrix);
    char check[16];
    std::snprintf(check, sizeof check, "%.1f", 0.5);
    std::setlocale(LC_ALL, previous.c_str());
    EXPECT_STREQ(check, "0,5") << "the locale is in force";
    EXPECT_EQ(text, " 0.5000\t\n\n");
}

TEST(IsSingleRealFormat, AcceptsOneRealConversionOnly)
{
    for (const char* format : {"% .4f", "%.17g", "%e;", "x=%+08.3f%%", "%A", "%-12.5G"}) {
        EXPECT_TRUE(IsSingleRealFormat(format)) << format;
    }
    for (const char* format : {"", "%", "abc", "%d", "%s", "%f %f", "%Lf", "%lf", "%n", "%*f", "%.*f", "%100f",
                               "%.100f", "%%", "%f%"}) {
        EXPECT_FALSE(IsSingleRealFormat(format)) << format;
    }
    EXPECT_FALSE(IsSingleRealFormat(std::string_view("%f\0%s", 5)));
}

}  // namespace
}  // namespace nivaro
