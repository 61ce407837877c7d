#include "render/SystemTextLocale.h"

#include "render/GbkCodec.h"
#include "render/UserLocale.h"

std::string SystemTextLocale::gbkToUtf8(std::string_view gbk) const {
    return ::gbkToUtf8(gbk);
}

char SystemTextLocale::decimalSeparator() const {
    return userSeparator_ ? userDecimalSeparator() : '.';
}
