#pragma once

#include <string>
#include <string_view>

// Text-to-number conversions with the program's rules. Both throw ConversionError.

// Leading blanks and a sign are allowed, then decimal digits and nothing else; the value must fit
// 32 bits. Text "abc" raises "'abc' is not a valid integer value".
int parseInt(std::string_view text);
// As parseInt, but returns false instead of throwing.
bool tryParseInt(std::string_view text, int& value);

// Leading and trailing blanks, a sign, digits with at most one decimal separator, and an optional
// exponent (E or e, sign, digits). No hexadecimal, no "inf" or "nan"; a value beyond the double
// range is refused. Raises "'abc' is not a valid floating point value".
// parseFloat takes the point as separator (data files); parseLocaleFloat takes the decimal
// separator of the user's locale (numbers typed in the dialogs, see TextLocale::decimalSeparator()).
// None of them depends on the process locale.
double parseFloat(std::string_view text);
bool tryParseFloat(std::string_view text, double& value, char decimalSeparator = '.');
double parseLocaleFloat(std::string_view text, char decimalSeparator);

// Formats a number with a pattern: digit placeholders 0 and #, a decimal point, ',' for thousands
// grouping, exponent markers E+ E- e+ e-, quoted literals, and up to three sections separated by ';'
// (positive; negative; zero). Examples: formatPattern(0, "0.##") == "0", formatPattern(3.5, "#.##") == "3.5".
// The point and the grouping comma are written as '.' and ','; a value that rounds to zero takes the
// zero section and no sign; rounding is half away from zero on the first 18 significant digits.
// As in the classic rules, placeholders that are all '#' show nothing for a zero integer part:
// formatPattern(0.5, "#.##") == ".5" and formatPattern(0, "#.##") == "".
std::string formatPattern(double value, std::string_view pattern);
// As formatPattern, with the user's decimal separator (numbers shown for editing).
std::string formatLocalePattern(double value, std::string_view pattern, char decimalSeparator);

// printf-style formatting of one number, e.g. formatPrintf("%5.2f", 0.5) == " 0.50". Only the first
// conversion takes the value; later '%' signs print as they stand. "%d" of a double truncates it.
// The point is '.' under every process locale.
std::string formatPrintf(const char* format, double value);
std::string formatPrintf(const char* format, int value);
