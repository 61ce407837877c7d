#pragma once

#include <string>
#include <string_view>

// How the program reads text it did not write: a data file's GBK bytes, quoted in a message, and the
// numbers the user types (their decimal separator). This plain one keeps ASCII, shows every other
// byte as U+FFFD and reads '.'; the window and the headless commands decode GBK properly.
class TextLocale {
public:
    virtual ~TextLocale() = default;

    // A data file's GBK text as UTF-8.
    virtual std::string gbkToUtf8(std::string_view gbk) const;

    // The decimal separator of numbers the user types and is shown for editing ('.' or ',').
    virtual char decimalSeparator() const { return '.'; }
};
