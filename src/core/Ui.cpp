#include "Ui.h"

MsgResult Ui::showMessage(const std::string& text) {
    return messageBox(text, applicationTitle, MsgButtons::Ok, MsgIcon::None, true);
}

bool Ui::progress(std::uint64_t /*done*/, std::uint64_t /*total*/) {
    return true;
}

const TextLocale& Ui::textLocale() const {
    static const TextLocale plain;
    return plain;
}
