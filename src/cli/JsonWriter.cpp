#include "JsonWriter.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <ostream>

namespace {

// The writer hands its text to the sink in pieces of about this size.
constexpr std::size_t sinkPieceBytes = std::size_t{1} << 16;

// Appends the shortest decimal text that reads back to `number`, or null.
template <typename Number> void appendShortestFloat(std::string& out, Number number) {
    if (!std::isfinite(number)) {
        out += "null";
        return;
    }
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    out.append(buffer, result.ptr);
}

} // namespace

std::string shortestFloat(float number) {
    std::string text;
    appendShortestFloat(text, number);
    return text;
}

void JsonWriter::flush() {
    if (sink_ != nullptr && !out_.empty()) {
        sink_->write(out_.data(), static_cast<std::streamsize>(out_.size()));
        out_.clear();
    }
}

void JsonWriter::flushWhenFull() {
    if (sink_ != nullptr && out_.size() >= sinkPieceBytes)
        flush();
}

void JsonWriter::separate() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!first_.empty()) {
        if (!first_.back())
            out_ += ',';
        first_.back() = false;
    }
}

void JsonWriter::beginObject() {
    separate();
    out_ += '{';
    first_.push_back(true);
}

void JsonWriter::endObject() {
    first_.pop_back();
    out_ += '}';
    flushWhenFull();
}

void JsonWriter::beginArray() {
    separate();
    out_ += '[';
    first_.push_back(true);
}

void JsonWriter::endArray() {
    first_.pop_back();
    out_ += ']';
    flushWhenFull();
}

void JsonWriter::key(std::string_view name) {
    value(name);
    out_ += ':';
    afterKey_ = true;
}

void JsonWriter::value(std::string_view text) {
    separate();
    out_ += '"';
    for (unsigned char c : text) {
        switch (c) {
        case '"':
            out_ += "\\\"";
            break;
        case '\\':
            out_ += "\\\\";
            break;
        case '\n':
            out_ += "\\n";
            break;
        case '\r':
            out_ += "\\r";
            break;
        case '\t':
            out_ += "\\t";
            break;
        default:
            if (c < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out_ += escaped;
            } else {
                out_ += static_cast<char>(c);
            }
        }
    }
    out_ += '"';
}

void JsonWriter::value(bool flag) {
    separate();
    out_ += flag ? "true" : "false";
}

void JsonWriter::value(std::int32_t number) {
    separate();
    out_ += std::to_string(number);
}

void JsonWriter::value(std::size_t number) {
    separate();
    out_ += std::to_string(number);
}

void JsonWriter::value(float number) {
    separate();
    appendShortestFloat(out_, number);
}

void JsonWriter::value(double number) {
    separate();
    appendShortestFloat(out_, number);
}

template <typename Number> void JsonWriter::numberArray(const std::vector<Number>& numbers) {
    beginArray();
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        if (i > 0)
            out_ += ',';
        appendShortestFloat(out_, numbers[i]);
    }
    endArray();
}

void JsonWriter::floatArray(const std::vector<float>& numbers) {
    numberArray(numbers);
}

void JsonWriter::doubleArray(const std::vector<double>& numbers) {
    numberArray(numbers);
}

void JsonWriter::null() {
    separate();
    out_ += "null";
}
