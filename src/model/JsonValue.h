#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace model {

// A parsed JSON value, enough for the model files: strict syntax (RFC 8259), numbers read with
// std::from_chars (locale-independent), nesting limited so no input can exhaust the stack. Internal.
class JsonValue {
public:
    enum class Type { Null, Bool, Number, String, Array, Object };

    // Parses a whole text; on failure returns false and sets `error` (with the byte offset).
    static bool parse(std::string_view text, JsonValue& out, std::string& error);

    Type type() const { return type_; }
    bool boolean() const { return boolean_; }
    double number() const { return number_; }
    const std::string& string() const { return string_; }
    // An array's elements (an object's member values).
    const std::vector<JsonValue>& array() const { return array_; }
    // The member of an object, or nullptr.
    const JsonValue* find(const std::string& key) const;

private:
    friend class JsonParser;
    Type type_ = Type::Null;
    bool boolean_ = false;
    double number_ = 0.0;
    std::string string_;
    std::vector<JsonValue> array_;
    std::vector<std::string> keys_; // an object's keys, in order; its values in array_
};

} // namespace model
