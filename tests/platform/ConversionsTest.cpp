#include "platform/ConversionError.h"
#include "platform/Conversions.h"

#include <gtest/gtest.h>

namespace {

std::string intError(const std::string& text)
{
    try {
        parseInt(text);
    } catch (const ConversionError& e) {
        return e.what();
    }
    return "no error";
}

std::string floatError(const std::string& text)
{
    try {
        parseFloat(text);
    } catch (const ConversionError& e) {
        return e.what();
    }
    return "no error";
}

} // namespace

TEST(ParseInt, AcceptsBlanksSignAndDigits)
{
    EXPECT_EQ(parseInt("42"), 42);
    EXPECT_EQ(parseInt("  -17"), -17);
    EXPECT_EQ(parseInt("+5"), 5);
    EXPECT_EQ(parseInt("2147483647"), 2147483647);
    EXPECT_EQ(parseInt("-2147483648"), -2147483647 - 1);
}

TEST(ParseInt, RefusesEverythingElseWithTheExactText)
{
    EXPECT_EQ(intError("abc"), "'abc' is not a valid integer value");
    EXPECT_EQ(intError(""), "'' is not a valid integer value");
    EXPECT_EQ(intError("12 "), "'12 ' is not a valid integer value");
    EXPECT_EQ(intError("1.5"), "'1.5' is not a valid integer value");
    EXPECT_EQ(intError("2147483648"), "'2147483648' is not a valid integer value");
    EXPECT_EQ(intError("-"), "'-' is not a valid integer value");
    EXPECT_EQ(intError("A7"), "'A7' is not a valid integer value");
}

TEST(ParseFloat, AcceptsPlainAndExponentForms)
{
    EXPECT_DOUBLE_EQ(parseFloat("1.5"), 1.5);
    EXPECT_DOUBLE_EQ(parseFloat(" -0.25 "), -0.25);
    EXPECT_DOUBLE_EQ(parseFloat("1e3"), 1000.0);
    EXPECT_DOUBLE_EQ(parseFloat("2.5E-1"), 0.25);
    EXPECT_DOUBLE_EQ(parseFloat(".5"), 0.5);
    EXPECT_DOUBLE_EQ(parseFloat("5."), 5.0);
}

TEST(ParseFloat, RefusesNonNumbersWithTheExactText)
{
    EXPECT_EQ(floatError("abc"), "'abc' is not a valid floating point value");
    EXPECT_EQ(floatError("1,5"), "'1,5' is not a valid floating point value");
    EXPECT_EQ(floatError("nan"), "'nan' is not a valid floating point value");
    EXPECT_EQ(floatError("inf"), "'inf' is not a valid floating point value");
    EXPECT_EQ(floatError("0x10"), "'0x10' is not a valid floating point value");
    EXPECT_EQ(floatError("1e999"), "'1e999' is not a valid floating point value");
    EXPECT_EQ(floatError(""), "'' is not a valid floating point value");
    EXPECT_EQ(floatError("1e"), "'1e' is not a valid floating point value");
}

TEST(ParseFloat, TakesTheGivenDecimalSeparator)
{
    double v = 0;
    EXPECT_TRUE(tryParseFloat("12,5", v, ','));
    EXPECT_DOUBLE_EQ(v, 12.5);
    EXPECT_FALSE(tryParseFloat("12,5", v, '.'));
}
