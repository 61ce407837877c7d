#include "FileNumbers.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "platform/Conversions.h"
#include "platform/Gbk.h"

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Sign, digits with at most one point, at least one digit, optional exponent with digits.
bool isPlainNumber(std::string_view text) {
    std::size_t i = 0, n = text.size();
    if (i < n && (text[i] == '+' || text[i] == '-'))
        ++i;
    int digits = 0;
    while (i < n && isDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && isDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-'))
            ++i;
        int expDigits = 0;
        while (i < n && isDigit(text[i])) {
            ++i;
            ++expDigits;
        }
        if (expDigits == 0)
            return false;
    }
    return i == n;
}

} // namespace

bool tryParseFileFloat(std::string_view text, double& value) {
    if (isPlainNumber(text)) {
        std::string_view digits = text.front() == '+' ? text.substr(1) : text;
        double parsed = 0;
        auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), parsed);
        if (ec == std::errc() && ptr == digits.data() + digits.size() && std::isfinite(parsed)) {
            value = parsed;
            return true;
        }
    }
    // Anything unusual (blanks, overflow, underflow, forms from_chars reads differently) takes the
    // program's own conversion, so that acceptance and value stay exactly the same.
    return tryParseFloat(text, value, '.');
}

namespace {

// The field as the user sees it in a message: GBK bytes become UTF-8 text, and a NUL byte (which
// would cut the message short) shows as the replacement character, like any undecodable byte.
std::string shownText(std::string_view text) {
    std::string shown;
    for (char c : gbkToUtf8(text)) {
        if (c == '\0')
            shown += "\xEF\xBF\xBD";
        else
            shown += c;
    }
    return shown;
}

} // namespace

double parseFileFloat(std::string_view text) {
    double value = 0;
    if (tryParseFileFloat(text, value))
        return value;
    return parseFloat(shownText(text));
}

int parseFileInt(std::string_view text) {
    int value = 0;
    if (tryParseInt(text, value))
        return value;
    return parseInt(shownText(text));
}

bool toStoredFloat(double value, float& stored) {
    if (!(std::fabs(value) <= static_cast<double>(std::numeric_limits<float>::max())))
        return false;
    stored = static_cast<float>(value);
    return true;
}

bool truncateToInt32(double value, std::int32_t& truncated) {
    if (!(value > -2147483649.0 && value < 2147483648.0))
        return false;
    truncated = static_cast<std::int32_t>(value);
    return true;
}
