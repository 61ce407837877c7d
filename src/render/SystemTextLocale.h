#pragma once

#include "core/TextLocale.h"

// The text locale of the running program: GBK decoded with the platform's codec, and numbers read with
// the user's decimal separator (the window) or always with '.' (the headless commands).
class SystemTextLocale : public TextLocale {
public:
    explicit SystemTextLocale(bool userSeparator) : userSeparator_(userSeparator) {}

    std::string gbkToUtf8(std::string_view gbk) const override;
    char decimalSeparator() const override;

private:
    bool userSeparator_;
};
