#include "core/Conversions.h"
#include "core/ConversionError.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

std::string intError(const std::string& text) {
    try {
        parseInt(text);
    } catch (const ConversionError& e) {
        return e.what();
    }
    return "no error";
}

std::string floatError(const std::string& text) {
    try {
        parseFloat(text);
    } catch (const ConversionError& e) {
        return e.what();
    }
    return "no error";
}

} // namespace

TEST(ParseInt, AcceptsBlanksSignAndDigits) {
    EXPECT_EQ(parseInt("42"), 42);
    EXPECT_EQ(parseInt("  -17"), -17);
    EXPECT_EQ(parseInt("+5"), 5);
    EXPECT_EQ(parseInt("2147483647"), 2147483647);
    EXPECT_EQ(parseInt("-2147483648"), -2147483647 - 1);
}

TEST(ParseInt, RefusesEverythingElseWithTheExactText) {
    EXPECT_EQ(intError("abc"), "'abc' is not a valid integer value");
    EXPECT_EQ(intError(""), "'' is not a valid integer value");
    EXPECT_EQ(intError("12 "), "'12 ' is not a valid integer value");
    EXPECT_EQ(intError("1.5"), "'1.5' is not a valid integer value");
    EXPECT_EQ(intError("2147483648"), "'2147483648' is not a valid integer value");
    EXPECT_EQ(intError("-"), "'-' is not a valid integer value");
    EXPECT_EQ(intError("A7"), "'A7' is not a valid integer value");
}

TEST(ParseFloat, AcceptsPlainAndExponentForms) {
    EXPECT_DOUBLE_EQ(parseFloat("1.5"), 1.5);
    EXPECT_DOUBLE_EQ(parseFloat(" -0.25 "), -0.25);
    EXPECT_DOUBLE_EQ(parseFloat("1e3"), 1000.0);
    EXPECT_DOUBLE_EQ(parseFloat("2.5E-1"), 0.25);
    EXPECT_DOUBLE_EQ(parseFloat(".5"), 0.5);
    EXPECT_DOUBLE_EQ(parseFloat("5."), 5.0);
}

TEST(ParseFloat, RefusesNonNumbersWithTheExactText) {
    EXPECT_EQ(floatError("abc"), "'abc' is not a valid floating point value");
    EXPECT_EQ(floatError("1,5"), "'1,5' is not a valid floating point value");
    EXPECT_EQ(floatError("nan"), "'nan' is not a valid floating point value");
    EXPECT_EQ(floatError("inf"), "'inf' is not a valid floating point value");
    EXPECT_EQ(floatError("0x10"), "'0x10' is not a valid floating point value");
    EXPECT_EQ(floatError("1e999"), "'1e999' is not a valid floating point value");
    EXPECT_EQ(floatError(""), "'' is not a valid floating point value");
    EXPECT_EQ(floatError("1e"), "'1e' is not a valid floating point value");
}

TEST(ParseFloat, TakesTheGivenDecimalSeparator) {
    double v = 0;
    EXPECT_TRUE(tryParseFloat("12,5", v, ','));
    EXPECT_DOUBLE_EQ(v, 12.5);
    EXPECT_FALSE(tryParseFloat("12,5", v, '.'));
}

// Number patterns follow the classic rules: '0' always shows a digit, '#' only a significant one;
// a zero integer part under '#' placeholders is left out, so "#.##" shows 0.5 as ".5" and 0 as "".
TEST(FormatPattern, PlaceholdersAndDecimalPoint) {
    EXPECT_EQ(formatPattern(0, "0.##"), "0");
    EXPECT_EQ(formatPattern(3.5, "#.##"), "3.5");
    EXPECT_EQ(formatPattern(0.5, "#.##"), ".5");
    EXPECT_EQ(formatPattern(0, "#.##"), "");
    EXPECT_EQ(formatPattern(1234, "#.##"), "1234");
    EXPECT_EQ(formatPattern(2, "###.0"), "2.0");
    EXPECT_EQ(formatPattern(0, "###.0"), ".0");
    EXPECT_EQ(formatPattern(100, "0.0"), "100.0");
    EXPECT_EQ(formatPattern(12.3456, "000.000"), "012.346");
    EXPECT_EQ(formatPattern(12.3, "#.###"), "12.3");
    EXPECT_EQ(formatPattern(12.3, "0.000"), "12.300");
    EXPECT_EQ(formatPattern(3, "0.##"), "3");
    EXPECT_EQ(formatPattern(0.5, "0"), "1");
    EXPECT_EQ(formatPattern(-1234, "0.00"), "-1234.00");
}

TEST(FormatPattern, RoundsHalfAwayFromZero) {
    EXPECT_EQ(formatPattern(0.25, "0.0"), "0.3");
    EXPECT_EQ(formatPattern(-0.25, "0.0"), "-0.3");
    EXPECT_EQ(formatPattern(2.5, "0"), "3");
    EXPECT_EQ(formatPattern(9.96, "0.0"), "10.0");
    EXPECT_EQ(formatPattern(99.5, "#"), "100");
    // 2.675 is stored as 2.67499999..., so it rounds down
    EXPECT_EQ(formatPattern(2.675, "0.00"), "2.67");
    // a float label value is formatted as the float it is
    EXPECT_EQ(formatPattern(static_cast<double>(0.15f), "0.0"), "0.2");
}

TEST(FormatPattern, ThousandsGroupingAndLiterals) {
    EXPECT_EQ(formatPattern(1234567, "#,#.#"), "1,234,567");
    EXPECT_EQ(formatPattern(1234567, "0,0.0"), "1,234,567.0");
    EXPECT_EQ(formatPattern(1234, "#,##0.00"), "1,234.00");
    EXPECT_EQ(formatPattern(-1234, "#,##0.00"), "-1,234.00");
    EXPECT_EQ(formatPattern(999, "#,##0"), "999");
    EXPECT_EQ(formatPattern(2.5, "0.0' m'"), "2.5 m");
    EXPECT_EQ(formatPattern(2.5, "\"AB=\"0.0"), "AB=2.5");
    EXPECT_EQ(formatPattern(7, "0' ;#.'"), "7 ;#.");
}

TEST(FormatPattern, SectionsForNegativeAndZero) {
    EXPECT_EQ(formatPattern(-1234, "#,##0.00;(#,##0.00)"), "(1,234.00)");
    EXPECT_EQ(formatPattern(1.123, "00.0;(0.00)"), "01.1");
    EXPECT_EQ(formatPattern(-1.123, "00.0;(0.00)"), "(1.12)");
    EXPECT_EQ(formatPattern(0, "#,##0.00;;Zero"), "Zero");
    EXPECT_EQ(formatPattern(-5, "#,##0.00;;Zero"), "-5.00");
    // a value that rounds to zero is zero: no sign, the zero section
    EXPECT_EQ(formatPattern(-0.001, "0.00"), "0.00");
    EXPECT_EQ(formatPattern(0.001, "0.0;-0.0;'none'"), "none");
}

TEST(FormatPattern, ScientificNotation) {
    EXPECT_EQ(formatPattern(1234567, "0.00E+0"), "1.23E+6");
    EXPECT_EQ(formatPattern(1234567, "0.00E+00"), "1.23E+06");
    EXPECT_EQ(formatPattern(1234, "0.000E+00"), "1.234E+03");
    EXPECT_EQ(formatPattern(0.5, "0.000E+00"), "5.000E-01");
    EXPECT_EQ(formatPattern(0, "0.000E+00"), "0.000E+00");
    EXPECT_EQ(formatPattern(1234, "#.###E-0"), "1.234E3");
    EXPECT_EQ(formatPattern(0.5, "#.###E-0"), "5E-1");
    EXPECT_EQ(formatPattern(2222.22, "00.0E+0"), "22.2E+2");
    EXPECT_EQ(formatPattern(9.99, "0.0e+0"), "1.0e+1");
}

TEST(FormatPattern, EmptyPatternAndOddValues) {
    EXPECT_EQ(formatPattern(1234, ""), "1234");
    EXPECT_EQ(formatPattern(0.5, ""), "0.5");
    EXPECT_EQ(formatPattern(-0.25, ";0.0"), "-0.25");
    EXPECT_EQ(formatPattern(1e300, "0.0"), "1E300");
    EXPECT_EQ(formatPattern(std::numeric_limits<double>::quiet_NaN(), "0.0"), "NAN");
    EXPECT_EQ(formatPattern(-std::numeric_limits<double>::infinity(), "0.0"), "-INF");
    EXPECT_EQ(formatPattern(5, "abc"), "abc");
}

// The logarithmic axis labels: "%d" for whole decades, "%5.1f" .. "%5.3f" below one.
TEST(FormatPrintf, AxisLabelFormats) {
    EXPECT_EQ(formatPrintf("%d", 100), "100");
    EXPECT_EQ(formatPrintf("%5.1f", 0.1), "  0.1");
    EXPECT_EQ(formatPrintf("%5.2f", 0.01), " 0.01");
    EXPECT_EQ(formatPrintf("%5.2f", 0.5), " 0.50");
    EXPECT_EQ(formatPrintf("%5.3f", 0.001), "0.001");
    EXPECT_EQ(formatPrintf("%5.3f", 0.0001), "0.000");
    EXPECT_EQ(formatPrintf("%d", 1e9), "1000000000");
}

TEST(FormatPrintf, ToleratesMismatchedOrHostileFormats) {
    EXPECT_EQ(formatPrintf("%d", 2.9), "2");
    EXPECT_EQ(formatPrintf("%d", -2.9), "-2");
    EXPECT_EQ(formatPrintf("%d", 1e30), "2147483647");
    EXPECT_EQ(formatPrintf("%.1f", 3), "3.0");
    EXPECT_EQ(formatPrintf("x=%d %s %n", 4), "x=4 %s %n");
    EXPECT_EQ(formatPrintf("%s", 4), "%s");
    EXPECT_EQ(formatPrintf("100%%", 4), "100%");
    EXPECT_EQ(formatPrintf("%999999d", 1).size(), 99u);
    EXPECT_EQ(formatPrintf(nullptr, 1.0), "");
}

// The process locale (set by Qt's application object from the environment) never changes how
// numbers are read or written: the same texts under a comma-decimal locale as under C.
TEST(Conversions, SameUnderACommaDecimalLocale) {
    const auto outputs = [] {
        std::vector<std::string> out;
        for (const char* format : {"%5.1f", "%5.2f", "%.1f", "%g", "%e", "%d"})
            out.push_back(formatPrintf(format, 20.25));
        for (const char* pattern : {"0.##", "#,##0.00", "0.00E+00", "###.0", "#.##"})
            out.push_back(formatPattern(1234.5678, pattern));
        for (const char* text : {"2.5", " -1.25e2 ", "1e-3", "0.1"}) {
            double value = 0;
            out.push_back(tryParseFloat(text, value) ? std::to_string(std::llround(value * 1000))
                                                     : "refused");
        }
        double value = 0;
        out.push_back(tryParseFloat("2,5", value) ? "accepted" : "refused");
        return out;
    };
    const std::vector<std::string> underC = outputs();
    EXPECT_EQ(underC[2], "20.2");
    EXPECT_EQ(underC[7], "1,234.57");
    EXPECT_EQ(underC[11], "2500");
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr)
        GTEST_SKIP() << "no de_DE.UTF-8 locale here (scripts/install-deps.sh generates it)";
    const std::vector<std::string> underComma = outputs();
    std::setlocale(LC_ALL, previous.c_str());
    EXPECT_EQ(underComma, underC);
}

TEST(ParseFloat, QuotesAtMostAShortPrefixOfALongText) {
    const std::string forty(40, 'x');
    const std::string chinese40 = [] {
        std::string text;
        for (int k = 0; k < 40; ++k)
            text += "测";
        return text;
    }();
    EXPECT_EQ(floatError(forty), "'" + forty + "' is not a valid floating point value");
    EXPECT_EQ(floatError(forty + "y"), "'" + forty + "…' is not a valid floating point value");
    EXPECT_EQ(floatError(std::string(1 << 20, 'z')),
              "'" + std::string(40, 'z') + "…' is not a valid floating point value");
    EXPECT_EQ(floatError(chinese40 + "深深"), "'" + chinese40 + "…' is not a valid floating point value");
    EXPECT_EQ(intError(forty + "12"), "'" + forty + "…' is not a valid integer value");
}
