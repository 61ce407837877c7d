#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

// A small streaming JSON writer for the headless commands. Commas are placed automatically;
// floats are printed as the shortest decimal that reads back to the same 32-bit value, and
// NaN or infinities as null. Without a sink the whole text is kept (`text()`); with one, the text
// goes to the sink in pieces as it grows, so that a report of a million rows is never held whole,
// and `flush()` writes the rest.
class JsonWriter {
public:
    explicit JsonWriter(std::ostream* sink = nullptr) : sink_(sink) {}

    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    void key(std::string_view name);

    void value(std::string_view text);
    void value(const char* text) { value(std::string_view(text)); }
    void value(bool flag);
    void value(std::int32_t number);
    void value(std::size_t number);
    void value(float number);
    void value(double number);
    void null();
    void floatArray(const std::vector<float>& numbers);
    void doubleArray(const std::vector<double>& numbers);

    const std::string& text() const { return out_; }
    void flush();

private:
    void separate();
    void flushWhenFull();
    template <typename Number> void numberArray(const std::vector<Number>& numbers);

    std::ostream* sink_;
    std::string out_;
    std::vector<bool> first_; // per open container: no element written yet
    bool afterKey_ = false;
};

// The shortest decimal text that reads back to the same float ("null" for NaN or infinities).
std::string shortestFloat(float number);
