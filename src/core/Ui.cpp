#include "Ui.h"

MsgResult Ui::showMessage(const std::string& text) {
    return messageBox(text, applicationTitle, MsgButtons::Ok, MsgIcon::None, true);
}

bool Ui::progress(std::uint64_t /*done*/, std::uint64_t /*total*/) {
    return true;
}

std::string Ui::gbkToUtf8(std::string_view gbk) const {
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
