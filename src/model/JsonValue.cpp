#include "model/JsonValue.h"

#include <charconv>
#include <cmath>

namespace model {

namespace {

constexpr int kMaxDepth = 32;
// Members of one object (the repeated-key check is quadratic).
constexpr std::size_t kMaxMembers = 256;

} // namespace

class JsonParser {
public:
    explicit JsonParser(std::string_view text) : text_(text) {}

    bool document(JsonValue& out) {
        skipSpace();
        if (!value(out, 0))
            return false;
        skipSpace();
        return pos_ == text_.size() || fail("text after the end of the JSON value");
    }
    const std::string& error() const { return error_; }

private:
    bool fail(const char* what) {
        if (error_.empty())
            error_ = std::string(what) + " at byte " + std::to_string(pos_);
        return false;
    }
    void skipSpace() {
        while (pos_ < text_.size() &&
               (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n' || text_[pos_] == '\r'))
            ++pos_;
    }
    bool literal(std::string_view word) {
        if (text_.substr(pos_, word.size()) != word)
            return fail("unknown word");
        pos_ += word.size();
        return true;
    }
    bool value(JsonValue& out, int depth) {
        if (depth > kMaxDepth)
            return fail("nesting too deep");
        if (pos_ >= text_.size())
            return fail("unexpected end");
        switch (text_[pos_]) {
        case '{':
            return object(out, depth);
        case '[':
            return array(out, depth);
        case '"':
            out.type_ = JsonValue::Type::String;
            return string(out.string_);
        case 't':
            out.type_ = JsonValue::Type::Bool;
            out.boolean_ = true;
            return literal("true");
        case 'f':
            out.type_ = JsonValue::Type::Bool;
            return literal("false");
        case 'n':
            return literal("null");
        default:
            return number(out);
        }
    }
    bool number(JsonValue& out) {
        // JSON's grammar: -?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?
        const std::size_t start = pos_;
        auto digits = [&] {
            const std::size_t from = pos_;
            while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9')
                ++pos_;
            return pos_ - from;
        };
        if (pos_ < text_.size() && text_[pos_] == '-')
            ++pos_;
        const std::size_t intStart = pos_;
        const std::size_t intDigits = digits();
        if (intDigits == 0 || (intDigits > 1 && text_[intStart] == '0'))
            return fail("malformed number");
        if (pos_ < text_.size() && text_[pos_] == '.') {
            ++pos_;
            if (digits() == 0)
                return fail("malformed number");
        }
        if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
            ++pos_;
            if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-'))
                ++pos_;
            if (digits() == 0)
                return fail("malformed number");
        }
        double v = 0.0;
        const auto [end, ec] = std::from_chars(text_.data() + start, text_.data() + pos_, v);
        if (ec != std::errc() || end != text_.data() + pos_ || !std::isfinite(v))
            return fail("number out of range");
        out.type_ = JsonValue::Type::Number;
        out.number_ = v;
        return true;
    }
    bool string(std::string& out) {
        ++pos_; // the opening quote
        while (pos_ < text_.size()) {
            const char c = text_[pos_++];
            if (c == '"')
                return true;
            if (static_cast<unsigned char>(c) < 0x20)
                return fail("control character in a string");
            if (c != '\\') {
                out += c;
                continue;
            }
            if (pos_ >= text_.size())
                break;
            const char e = text_[pos_++];
            switch (e) {
            case '"':
            case '\\':
            case '/':
                out += e;
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                unsigned code = 0;
                if (pos_ + 4 > text_.size())
                    return fail("malformed escape");
                const auto [end, ec] =
                    std::from_chars(text_.data() + pos_, text_.data() + pos_ + 4, code, 16);
                if (ec != std::errc() || end != text_.data() + pos_ + 4)
                    return fail("malformed escape");
                pos_ += 4;
                // Keys and values of a model file are ASCII; anything else stands as '?'.
                out += code < 0x80 ? static_cast<char>(code) : '?';
                break;
            }
            default:
                return fail("malformed escape");
            }
        }
        return fail("unterminated string");
    }
    bool array(JsonValue& out, int depth) {
        out.type_ = JsonValue::Type::Array;
        ++pos_;
        skipSpace();
        if (pos_ < text_.size() && text_[pos_] == ']') {
            ++pos_;
            return true;
        }
        while (true) {
            skipSpace();
            out.array_.emplace_back();
            if (!value(out.array_.back(), depth + 1))
                return false;
            skipSpace();
            if (pos_ < text_.size() && text_[pos_] == ',') {
                ++pos_;
                continue;
            }
            if (pos_ < text_.size() && text_[pos_] == ']') {
                ++pos_;
                return true;
            }
            return fail("expected ',' or ']'");
        }
    }
    bool object(JsonValue& out, int depth) {
        out.type_ = JsonValue::Type::Object;
        ++pos_;
        skipSpace();
        if (pos_ < text_.size() && text_[pos_] == '}') {
            ++pos_;
            return true;
        }
        while (true) {
            skipSpace();
            if (pos_ >= text_.size() || text_[pos_] != '"')
                return fail("expected a key");
            std::string key;
            if (!string(key))
                return false;
            skipSpace();
            if (pos_ >= text_.size() || text_[pos_] != ':')
                return fail("expected ':'");
            ++pos_;
            skipSpace();
            JsonValue member;
            if (!value(member, depth + 1))
                return false;
            if (out.keys_.size() >= kMaxMembers)
                return fail("too many members in an object");
            for (const std::string& existing : out.keys_)
                if (existing == key)
                    return fail("repeated key");
            out.keys_.push_back(std::move(key));
            out.array_.push_back(std::move(member));
            skipSpace();
            if (pos_ < text_.size() && text_[pos_] == ',') {
                ++pos_;
                continue;
            }
            if (pos_ < text_.size() && text_[pos_] == '}') {
                ++pos_;
                return true;
            }
            return fail("expected ',' or '}'");
        }
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    std::string error_;
};

bool JsonValue::parse(std::string_view text, JsonValue& out, std::string& error) {
    JsonParser parser(text);
    out = JsonValue();
    if (parser.document(out))
        return true;
    error = parser.error();
    return false;
}

const JsonValue* JsonValue::find(const std::string& key) const {
    if (type_ != Type::Object)
        return nullptr;
    for (std::size_t i = 0; i < keys_.size(); ++i)
        if (keys_[i] == key)
            return &array_[i];
    return nullptr;
}

} // namespace model
