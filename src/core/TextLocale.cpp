#include "core/TextLocale.h"

std::string TextLocale::gbkToUtf8(std::string_view gbk) const {
    std::string text;
    text.reserve(gbk.size());
    for (unsigned char c : gbk) {
        if (c < 0x80)
            text += static_cast<char>(c);
        else
            text += "\xEF\xBF\xBD";
    }
    return text;
}
