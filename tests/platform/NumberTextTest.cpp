#include <gtest/gtest.h>

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <limits>
#include <string>

#include "platform/NumberText.h"

namespace nivaro {
namespace {

TEST(NumberText, FloatToStrUsesFifteenDigitsAndABareExponent)
{
    const std::pair<double, const char*> cases[] = {
        {1e-8, "1E-8"},          {9.1095e-31, "9.1095E-31"}, {1.674927e-27, "1.674927E-27"},
        {5e-8, "5E-8"},          {8e-10, "8E-10"},           {0.5, "0.5"},
        {1.0, "1"},              {300.0, "300"},             {-2.5, "-2.5"},
        {0.0001, "0.0001"},      {0.00001, "1E-5"},          {1.5e20, "1.5E20"},
        {123456789012345.0, "123456789012345"},              {1e15, "1E15"},
        {0.1 + 0.2, "0.3"},      {2.0 / 3.0, "0.666666666666667"}, {0.0, "0"},
        {std::numeric_limits<double>::infinity(), "INF"},
    };
    for (const auto& [value, text] : cases) {
        EXPECT_EQ(FloatToStr(value), text) << value;
    }
}

// WriteG17 forms the digits itself; the library's conversion, exact by
// construction, is the oracle: edge values (powers of ten and their
// neighbours, ties, the fallbacks at both ends) and a million random bit
// patterns and values of the sizes the program's files hold.
TEST(NumberText, WriteG17WritesWhatPrintfsG17Writes)
{
    const auto expectSame = [](double value) {
        char written[kMostG17Chars];
        char expected[kMostG17Chars];
        const std::string text(written, WriteG17(written, value));
        const std::to_chars_result library =
            std::to_chars(expected, expected + sizeof expected, value, std::chars_format::general, 17);
        ASSERT_EQ(text, std::string(expected, library.ptr)) << std::hexfloat << value;
    };
    for (const double value : {0.0, -0.0, 1.0, -2.5, 0.5, 100.5, 0.1, 1e-4, 9.99999e-5, 1e16, 1e17, 123456789012345678.0,
                               1e-10, 2e-10, 1e22, 1e23, 5e-324, 2.2250738585072014e-308, 1.7976931348623157e308,
                               std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                               std::numeric_limits<double>::quiet_NaN()}) {
        expectSame(value);
    }
    for (int exponent = -40; exponent <= 40; ++exponent) {
        const double power = std::pow(10.0, exponent);
        for (const double value : {power, std::nextafter(power, 0.0), std::nextafter(power, 1e300), -power}) {
            expectSame(value);
        }
    }
    // Ties at the 18th digit: halves of odd numbers of 17 digits.
    for (const double value : {12345678901234567.0 / 2.0, 0.5 + 1.0 / 1024.0, 1e16 + 1.0, 1e16 + 3.0}) {
        expectSame(value);
    }
    std::mt19937_64 random(20260211);
    std::uniform_real_distribution<double> decades(-14.0, 18.0);
    for (int k = 0; k < 500000; ++k) {
        const std::uint64_t bits = random();
        double value = 0.0;
        std::memcpy(&value, &bits, sizeof value);
        expectSame(value);
        expectSame(std::pow(10.0, decades(random)) * (k % 2 == 0 ? 1.0 : -1.0));
    }
}

TEST(NumberText, LeadingConversionsReadLikeTheCLibrary)
{
    EXPECT_EQ(LeadingInteger("300"), 300);
    EXPECT_EQ(LeadingInteger("  -12abc"), -12);
    EXPECT_EQ(LeadingInteger("abc"), 0);
    EXPECT_EQ(LeadingInteger("99999999999"), 2147483647);
    EXPECT_EQ(LeadingReal("1.5e"), 1.5);
    EXPECT_EQ(LeadingReal(" 9.1095E-31 kg"), 9.1095e-31);
    EXPECT_EQ(LeadingReal("abc"), 0.0);
    EXPECT_EQ(LeadingReal("1.6749271234567890123456789012345678901E-27"), 1.6749271234567890123456789012345678901e-27);
}

TEST(NumberText, StrictConversionsExplainWhatIsWrong)
{
    EXPECT_EQ(StrToInt(" 42 "), 42);
    EXPECT_EQ(StrToFloat("+2E-9"), 2e-9);
    EXPECT_EQ(StrToFloat(".5"), 0.5);
    try {
        StrToInt("4.5");
        FAIL();
    } catch (const ConversionError& error) {
        EXPECT_STREQ(error.what(), "'4.5' is not a valid integer value");
    }
    try {
        StrToFloat("1e-8 m");
        FAIL();
    } catch (const ConversionError& error) {
        EXPECT_STREQ(error.what(), "'1e-8 m' is not a valid floating point value");
    }
    EXPECT_THROW(StrToFloat("nan"), ConversionError);
    EXPECT_THROW(StrToFloat(""), ConversionError);
    EXPECT_THROW(StrToInt("+-3"), ConversionError);
}

TEST(NumberText, ConversionsIgnoreACommaDecimalLocale)
{
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr) << "the set-up script generates this locale";
    const std::string shown = FloatToStr(0.5);
    const double read = LeadingReal("1.5");
    const double strict = StrToFloat("2.25");
    std::setlocale(LC_ALL, previous.c_str());
    EXPECT_EQ(shown, "0.5");
    EXPECT_EQ(read, 1.5);
    EXPECT_EQ(strict, 2.25);
}

}  // namespace
}  // namespace nivaro
