#pragma once

#include <stdexcept>
#include <string>

// The conversion error of the program: a text that is no number. The message is the exact
// text shown to the user, "'abc' is not a valid integer value" or
// "'abc' is not a valid floating point value".
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
