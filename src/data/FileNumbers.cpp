#include "FileNumbers.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "core/Conversions.h"
#include "core/Ui.h"

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

// Plain decimals of up to 15 digits without exponent, the form of nearly every number in a survey
// file: the digits fit a double exactly and so does the power of ten, so one division gives the
// correctly rounded value, the same as the full conversion.
bool tryParseShortDecimal(std::string_view text, double& value) {
    static constexpr double powersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                             1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const char* p = text.data();
    const char* const end = p + text.size();
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    // Unsigned arithmetic: a mantissa of too many digits wraps harmlessly and is refused below.
    std::uint64_t mantissa = 0;
    const char* const integerStart = p;
    while (p < end && static_cast<unsigned>(*p - '0') < 10)
        mantissa = mantissa * 10 + static_cast<unsigned>(*p++ - '0');
    std::ptrdiff_t digits = p - integerStart, fraction = 0;
    if (p < end && *p == '.') {
        const char* const fractionStart = ++p;
        while (p < end && static_cast<unsigned>(*p - '0') < 10)
            mantissa = mantissa * 10 + static_cast<unsigned>(*p++ - '0');
        fraction = p - fractionStart;
        digits += fraction;
    }
    if (p != end || digits == 0 || digits > 15)
        return false;
    double result = static_cast<double>(mantissa) / powersOfTen[fraction];
    value = negative ? -result : result;
    return true;
}

} // namespace

namespace {

// Numbers the short form does not cover: the program's own rules, with from_chars for speed.
[[gnu::noinline]] bool tryParseLongNumber(std::string_view text, double& value) {
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

} // namespace

bool tryParseFileFloat(std::string_view text, double& value) {
    return tryParseShortDecimal(text, value) || tryParseLongNumber(text, value);
}

namespace {

constexpr std::string_view replacementCharacter = "\xEF\xBF\xBD";

// The field as the user sees it in a message: the file's text as UTF-8, and a NUL byte (which would
// cut the message short) shown as the replacement character, like any undecodable byte. A UTF-8 file
// was judged by its start only, so its later bytes are checked here too.
std::string shownText(std::string_view text, TextEncoding encoding, const Ui& ui) {
    std::string shown;
    if (encoding == TextEncoding::Gbk) {
        for (char c : ui.textLocale().gbkToUtf8(text)) {
            if (c == '\0')
                shown += replacementCharacter;
            else
                shown += c;
        }
        return shown;
    }
    while (!text.empty()) {
        int length = text.front() == '\0' ? 0 : utf8CharLength(text);
        if (length <= 0) {
            shown += replacementCharacter;
            length = 1;
        } else {
            shown += text.substr(0, static_cast<std::size_t>(length));
        }
        text.remove_prefix(static_cast<std::size_t>(length));
    }
    return shown;
}

} // namespace

double parseFileFloat(std::string_view text, TextEncoding encoding, const Ui& ui) {
    double value = 0;
    if (tryParseFileFloat(text, value))
        return value;
    return parseFloat(shownText(text, encoding, ui));
}

int parseFileInt(std::string_view text, TextEncoding encoding, const Ui& ui) {
    int value = 0;
    if (tryParseInt(text, value))
        return value;
    return parseInt(shownText(text, encoding, ui));
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
