#include "Conversions.h"

#include "ConversionError.h"

#include <QLocale>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

[[noreturn]] void throwInt(std::string_view text)
{
    throw ConversionError("'" + std::string(text) + "' is not a valid integer value");
}

[[noreturn]] void throwFloat(std::string_view text)
{
    throw ConversionError("'" + std::string(text) + "' is not a valid floating point value");
}

} // namespace

bool tryParseInt(std::string_view text, int& value)
{
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size())
        return false;
    long long magnitude = 0;
    for (; i < text.size(); ++i) {
        if (!isDigit(text[i]))
            return false;
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > 2147483648LL)
            return false;
    }
    long long signedValue = negative ? -magnitude : magnitude;
    if (signedValue > std::numeric_limits<int>::max())
        return false;
    value = static_cast<int>(signedValue);
    return true;
}

int parseInt(std::string_view text)
{
    int value = 0;
    if (!tryParseInt(text, value))
        throwInt(text);
    return value;
}

bool tryParseFloat(std::string_view text, double& value, char decimalSeparator)
{
    std::size_t begin = 0, end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    std::string plain;
    plain.reserve(end - begin);
    std::size_t i = begin;
    if (i < end && (text[i] == '+' || text[i] == '-'))
        plain += text[i++];
    int digits = 0;
    while (i < end && isDigit(text[i])) {
        plain += text[i++];
        ++digits;
    }
    if (i < end && text[i] == decimalSeparator) {
        plain += '.';
        ++i;
        while (i < end && isDigit(text[i])) {
            plain += text[i++];
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    if (i < end && (text[i] == 'e' || text[i] == 'E')) {
        plain += 'e';
        ++i;
        if (i < end && (text[i] == '+' || text[i] == '-'))
            plain += text[i++];
        int expDigits = 0;
        while (i < end && isDigit(text[i])) {
            plain += text[i++];
            ++expDigits;
        }
        if (expDigits == 0)
            return false;
    }
    if (i != end)
        return false;
    errno = 0;
    double parsed = std::strtod(plain.c_str(), nullptr);
    if (!std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

double parseFloat(std::string_view text)
{
    double value = 0;
    if (!tryParseFloat(text, value, '.'))
        throwFloat(text);
    return value;
}

char localeDecimalSeparator()
{
    const QString point = QLocale().decimalPoint();
    return (!point.isEmpty() && point.at(0) == QLatin1Char(',')) ? ',' : '.';
}

double parseLocaleFloat(std::string_view text)
{
    double value = 0;
    if (!tryParseFloat(text, value, localeDecimalSeparator()))
        throwFloat(text);
    return value;
}
