#include "dialogs/RangeSpinBox.h"

RangeSpinBox::RangeSpinBox(QWidget* parent) : QSpinBox(parent) {
    setKeyboardTracking(false);
    setCorrectionMode(QAbstractSpinBox::CorrectToPreviousValue);
}

QValidator::State RangeSpinBox::validate(QString& input, int& pos) const {
    const QValidator::State state = QSpinBox::validate(input, pos);
    if (state != QValidator::Invalid)
        return state;
    // A whole number out of range may still be typed; it is refused when the typing ends.
    QString number = input;
    if (!prefix().isEmpty() && number.startsWith(prefix()))
        number.remove(0, prefix().size());
    if (!suffix().isEmpty() && number.endsWith(suffix()))
        number.chop(suffix().size());
    number = number.trimmed();
    if (number.startsWith(QLatin1Char('-')) || number.startsWith(QLatin1Char('+')))
        number.remove(0, 1);
    if (number.isEmpty() || number.size() > 10)
        return QValidator::Invalid;
    for (const QChar c : number)
        if (!c.isDigit())
            return QValidator::Invalid;
    return QValidator::Intermediate;
}
