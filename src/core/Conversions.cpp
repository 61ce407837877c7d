#include "Conversions.h"

#include "ConversionError.h"

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <vector>

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Characters of an offending text a message quotes; a longer text is cut there and marked with "…".
constexpr std::size_t quotedCharacters = 40;

// The text as a message quotes it: whole when short, else its first quotedCharacters UTF-8
// characters and "…", so that a megabyte of junk never becomes a megabyte of message.
std::string quoted(std::string_view text) {
    std::size_t characters = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if ((static_cast<unsigned char>(text[at]) & 0xC0) == 0x80)
            continue; // a UTF-8 continuation byte belongs to the character before it
        if (characters++ == quotedCharacters)
            return std::string(text.substr(0, at)) + "\u2026";
    }
    return std::string(text);
}

[[noreturn]] void throwInt(std::string_view text) {
    throw ConversionError("'" + quoted(text) + "' is not a valid integer value");
}

[[noreturn]] void throwFloat(std::string_view text) {
    throw ConversionError("'" + quoted(text) + "' is not a valid floating point value");
}

} // namespace

bool tryParseInt(std::string_view text, int& value) {
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

int parseInt(std::string_view text) {
    int value = 0;
    if (!tryParseInt(text, value))
        throwInt(text);
    return value;
}

bool tryParseFloat(std::string_view text, double& value, char decimalSeparator) {
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
    // from_chars reads the C form whatever the process locale; a value beyond the double range
    // reports out of range.
    double parsed = 0;
    const auto [ptr, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), parsed);
    if (ec != std::errc() || ptr != plain.data() + plain.size() || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

double parseFloat(std::string_view text) {
    double value = 0;
    if (!tryParseFloat(text, value, '.'))
        throwFloat(text);
    return value;
}

double parseLocaleFloat(std::string_view text, char decimalSeparator) {
    double value = 0;
    if (!tryParseFloat(text, value, decimalSeparator))
        throwFloat(text);
    return value;
}

namespace {

// One section of a number pattern, as scanned.
struct PatternSection {
    std::string_view text;
    int digitCount = 0;   // placeholders 0 and #, exponent digits excluded
    int decimalIndex = 0; // placeholders before the decimal point
    int firstZero = -1;   // index of the first '0' placeholder, -1 when none
    int lastZero = -1;    // index of the last '0' placeholder
    bool thousands = false;
    bool scientific = false;
    int exponentDigits = 0; // minimum digits of the exponent, at most 4
};

bool isExponentMarker(std::string_view s, std::size_t i) {
    return (s[i] == 'E' || s[i] == 'e') && i + 1 < s.size() && (s[i + 1] == '+' || s[i + 1] == '-');
}

// Splits at ';' outside quotes; at most three sections are used.
std::vector<std::string_view> splitSections(std::string_view pattern) {
    std::vector<std::string_view> sections;
    std::size_t start = 0;
    char quote = 0;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (quote != 0) {
            if (c == quote)
                quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == ';') {
            sections.push_back(pattern.substr(start, i - start));
            start = i + 1;
        }
    }
    sections.push_back(pattern.substr(start));
    if (sections.size() > 3)
        sections.resize(3);
    return sections;
}

PatternSection scanSection(std::string_view text) {
    PatternSection s;
    s.text = text;
    bool pointSeen = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\'' || c == '"') {
            const std::size_t close = text.find(c, i + 1);
            i = close == std::string_view::npos ? text.size() : close;
        } else if (c == '0' || c == '#') {
            if (c == '0') {
                if (s.firstZero < 0)
                    s.firstZero = s.digitCount;
                s.lastZero = s.digitCount;
            }
            ++s.digitCount;
        } else if (c == '.') {
            if (!pointSeen) {
                pointSeen = true;
                s.decimalIndex = s.digitCount;
            }
        } else if (c == ',') {
            s.thousands = true;
        } else if (isExponentMarker(text, i)) {
            if (!s.scientific) {
                s.scientific = true;
                std::size_t j = i + 2;
                while (j < text.size() && text[j] == '0' && s.exponentDigits < 4) {
                    ++s.exponentDigits;
                    ++j;
                }
                i = j - 1;
            } else {
                ++i;
            }
        }
    }
    if (!pointSeen)
        s.decimalIndex = s.digitCount;
    return s;
}

// A non-negative value as decimal digits: value = 0.d1d2d3... × 10^exponent.
struct Decimal {
    std::string digits; // no leading zeros; empty for zero
    int exponent = 0;
};

// The value's first 18 significant digits (the precision of the classic extended conversion).
Decimal toDecimal(double magnitude) {
    Decimal d;
    if (magnitude == 0)
        return d;
    char buffer[64];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer - 1, magnitude, std::chars_format::scientific, 17).ptr;
    *end = '\0';
    const char* p = buffer;
    for (; *p != 'e'; ++p) {
        if (*p != '.')
            d.digits += *p;
    }
    d.exponent = std::atoi(p + 1) + 1;
    return d;
}

void trimZeros(Decimal& d) {
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
    if (d.digits.empty())
        d.exponent = 0;
}

// Keeps `count` leading digits, rounding half away from zero.
void roundToDigits(Decimal& d, int count) {
    if (count < 0) {
        d.digits.clear();
        d.exponent = 0;
        return;
    }
    if (static_cast<int>(d.digits.size()) <= count) {
        trimZeros(d);
        return;
    }
    const bool up = d.digits[count] >= '5';
    d.digits.resize(count);
    if (up) {
        int i = count - 1;
        while (i >= 0 && d.digits[i] == '9') {
            d.digits[i] = '0';
            --i;
        }
        if (i >= 0) {
            ++d.digits[i];
        } else {
            d.digits.insert(d.digits.begin(), '1');
            ++d.exponent;
        }
    }
    trimZeros(d);
}

// Rounds to `decimals` places after the point.
Decimal roundFixed(double magnitude, int decimals) {
    Decimal d = toDecimal(magnitude);
    if (!d.digits.empty())
        roundToDigits(d, d.exponent + decimals);
    return d;
}

// The digit at a power of ten (0 = units, -1 = tenths).
char digitAt(const Decimal& d, int power) {
    const int index = d.exponent - 1 - power;
    return index >= 0 && index < static_cast<int>(d.digits.size()) ? d.digits[index] : '0';
}

// The classic general format with 15 significant digits, for an empty pattern.
std::string formatGeneral(double value) {
    std::string sign = value < 0 ? "-" : "";
    Decimal d = toDecimal(std::fabs(value));
    roundToDigits(d, 15);
    if (d.digits.empty())
        return "0";
    std::string out = sign;
    if (d.exponent > 15 || d.exponent < -4) {
        out += d.digits[0];
        if (d.digits.size() > 1) {
            out += '.';
            out += d.digits.substr(1);
        }
        out += 'E';
        out += std::to_string(d.exponent - 1);
        return out;
    }
    if (d.exponent <= 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-d.exponent), '0');
        out += d.digits;
        return out;
    }
    for (int p = d.exponent - 1; p >= 0; --p)
        out += digitAt(d, p);
    if (static_cast<int>(d.digits.size()) > d.exponent) {
        out += '.';
        out += d.digits.substr(static_cast<std::size_t>(d.exponent));
    }
    return out;
}

class SectionWriter {
public:
    SectionWriter(const PatternSection& s, char point, char separator)
        : s_(s), point_(point), separator_(separator) {}

    std::string write(double magnitude) {
        const int decimals = s_.digitCount - s_.decimalIndex;
        if (s_.scientific) {
            intPlaces_ = std::max(s_.decimalIndex, 1);
            d_ = toDecimal(magnitude);
            roundToDigits(d_, intPlaces_ + decimals);
            exponent_ = d_.digits.empty() ? 0 : d_.exponent - intPlaces_;
            d_.exponent = d_.digits.empty() ? 0 : intPlaces_;
            shownInt_ = intPlaces_;
        } else {
            intPlaces_ = s_.decimalIndex;
            d_ = roundFixed(magnitude, decimals);
            const int forced =
                s_.firstZero >= 0 && s_.firstZero < s_.decimalIndex ? s_.decimalIndex - s_.firstZero : 0;
            shownInt_ = std::max(d_.digits.empty() ? 0 : std::max(d_.exponent, 0), forced);
        }
        const int forcedDecimals = s_.lastZero >= s_.decimalIndex ? s_.lastZero - s_.decimalIndex + 1 : 0;
        const int significantDecimals =
            d_.digits.empty() ? 0 : std::max(0, static_cast<int>(d_.digits.size()) - d_.exponent);
        shownDecimals_ = std::max(forcedDecimals, std::min(significantDecimals, decimals));

        std::string out;
        int placeholder = 0;
        bool pointSeen = false;
        bool exponentWritten = false;
        const std::string_view t = s_.text;
        for (std::size_t i = 0; i < t.size(); ++i) {
            const char c = t[i];
            if (c == '\'' || c == '"') {
                const std::size_t close = t.find(c, i + 1);
                const std::size_t end = close == std::string_view::npos ? t.size() : close;
                out += t.substr(i + 1, end - i - 1);
                i = end;
            } else if (c == '0' || c == '#') {
                writePlaceholder(out, placeholder++);
            } else if (c == '.') {
                if (!pointSeen && shownDecimals_ > 0)
                    out += point_;
                pointSeen = true;
            } else if (c == ',') {
                // grouping is decided by the digits, not by the comma's place
            } else if (isExponentMarker(t, i)) {
                std::size_t j = i + 2;
                int zeros = 0;
                while (j < t.size() && t[j] == '0' && zeros < 4) {
                    ++zeros;
                    ++j;
                }
                if (s_.scientific && !exponentWritten) {
                    exponentWritten = true;
                    out += c;
                    if (exponent_ < 0)
                        out += '-';
                    else if (t[i + 1] == '+')
                        out += '+';
                    std::string e = std::to_string(std::abs(exponent_));
                    if (static_cast<int>(e.size()) < s_.exponentDigits)
                        e.insert(0, s_.exponentDigits - e.size(), '0');
                    out += e;
                }
                i = j - 1;
            } else {
                out += c;
            }
        }
        return out;
    }

private:
    void writeInteger(std::string& out, int power) {
        out += digitAt(d_, power);
        if (s_.thousands && power > 0 && power % 3 == 0)
            out += separator_;
    }

    void writePlaceholder(std::string& out, int index) {
        if (index < intPlaces_ || (s_.scientific && index < s_.decimalIndex)) {
            const int power = intPlaces_ - 1 - index;
            if (index == 0) {
                for (int p = shownInt_ - 1; p > power; --p)
                    writeInteger(out, p);
            }
            if (power < shownInt_)
                writeInteger(out, power);
            return;
        }
        const int place = index - s_.decimalIndex + 1;
        if (place <= shownDecimals_)
            out += digitAt(d_, -place);
    }

    const PatternSection& s_;
    char point_;
    char separator_;
    Decimal d_;
    int intPlaces_ = 0;
    int shownInt_ = 0;
    int shownDecimals_ = 0;
    int exponent_ = 0;
};

bool roundsToZero(const PatternSection& s, double magnitude) {
    if (s.scientific)
        return magnitude == 0;
    return roundFixed(magnitude, s.digitCount - s.decimalIndex).digits.empty();
}

std::string formatWith(double value, std::string_view pattern, char point, char separator) {
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value > 0 ? "INF" : "-INF";
    const std::vector<std::string_view> sections = splitSections(pattern);
    if (sections[0].empty())
        return formatGeneral(value);

    const double magnitude = std::fabs(value);
    PatternSection chosen = scanSection(sections[0]);
    bool minus = false;
    if (value < 0) {
        if (sections.size() > 1 && !sections[1].empty())
            chosen = scanSection(sections[1]);
        else
            minus = true;
    }
    if (roundsToZero(chosen, magnitude)) {
        // a value that shows as zero takes the zero section and never a sign
        minus = false;
        chosen = scanSection(sections.size() > 2 && !sections[2].empty() ? sections[2] : sections[0]);
    } else if (!chosen.scientific) {
        // more integer digits than the classic conversion holds: general format
        if (toDecimal(magnitude).exponent > 18)
            return formatGeneral(value);
    }
    SectionWriter writer(chosen, point, separator);
    std::string text = writer.write(magnitude);
    if (minus)
        text.insert(text.begin(), '-');
    return text;
}

} // namespace

std::string formatPattern(double value, std::string_view pattern) {
    return formatWith(value, pattern, '.', ',');
}

std::string formatLocalePattern(double value, std::string_view pattern, char point) {
    return formatWith(value, pattern, point, point == ',' ? '.' : ',');
}

namespace {

// One printf conversion found in a format: the text before it, its directive ("%5.2" without the
// letter) and the conversion letter; everything after it is literal text.
struct PrintfSpec {
    std::string before;
    std::string directive;
    char conversion = 0;
    std::string after;
};

// Takes the first conversion of the format; widths and precisions are capped at two digits so the
// output stays small. A format without a usable conversion prints as literal text.
PrintfSpec parsePrintf(std::string_view format) {
    PrintfSpec result;
    std::size_t i = 0;
    while (i < format.size()) {
        if (format[i] != '%') {
            result.before += format[i++];
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == '%') {
            result.before += '%';
            i += 2;
            continue;
        }
        std::size_t j = i + 1;
        std::string directive = "%";
        while (j < format.size() && std::string_view("-+ #0").find(format[j]) != std::string_view::npos)
            directive += format[j++];
        auto digits = [&] {
            int n = 0;
            while (j < format.size() && isDigit(format[j])) {
                if (++n <= 2)
                    directive += format[j];
                ++j;
            }
        };
        digits();
        if (j < format.size() && format[j] == '.') {
            directive += format[j++];
            digits();
        }
        if (j < format.size() && std::string_view("diufFeEgG").find(format[j]) != std::string_view::npos) {
            result.directive = directive;
            result.conversion = format[j] == 'i' || format[j] == 'u' ? 'd' : format[j];
            result.after = std::string(format.substr(j + 1));
            return result;
        }
        // not a conversion: keep the text as written
        result.before += std::string(format.substr(i, j - i));
        i = j;
    }
    return result;
}

// Prints one conversion; snprintf writes the decimal point of the process locale, which is put back
// to '.' so that labels read the same under every locale.
std::string printInto(const std::string& conversion, auto value) {
    const int size = std::snprintf(nullptr, 0, conversion.c_str(), value);
    if (size <= 0)
        return {};
    std::string out(static_cast<std::size_t>(size) + 1, '\0');
    std::snprintf(out.data(), out.size(), conversion.c_str(), value);
    out.resize(static_cast<std::size_t>(size));
    const std::string_view point = std::localeconv()->decimal_point;
    if (point.empty() || point == ".")
        return out;
    std::string fixed;
    fixed.reserve(out.size());
    for (std::size_t at = 0; at < out.size();) {
        if (out.compare(at, point.size(), point) == 0) {
            fixed += '.';
            at += point.size();
        } else {
            fixed += out[at++];
        }
    }
    return fixed;
}

} // namespace

std::string formatPrintf(const char* format, double value) {
    const PrintfSpec p = parsePrintf(format != nullptr ? format : "");
    if (p.conversion == 0)
        return p.before;
    if (p.conversion == 'd') {
        // an integer conversion of a float takes the value truncated toward zero
        const double clamped = std::isnan(value) ? 0.0 : std::clamp(value, -2147483648.0, 2147483647.0);
        return p.before + printInto(p.directive + 'd', static_cast<int>(clamped)) + p.after;
    }
    return p.before + printInto(p.directive + p.conversion, value) + p.after;
}

std::string formatPrintf(const char* format, int value) {
    const PrintfSpec p = parsePrintf(format != nullptr ? format : "");
    if (p.conversion == 0)
        return p.before;
    if (p.conversion == 'd')
        return p.before + printInto(p.directive + 'd', value) + p.after;
    return p.before + printInto(p.directive + p.conversion, static_cast<double>(value)) + p.after;
}
