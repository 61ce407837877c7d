#include "Ui.h"

MsgResult Ui::showMessage(const std::string& text)
{
    return messageBox(text, applicationTitle, MsgButtons::Ok, MsgIcon::None, true);
}
