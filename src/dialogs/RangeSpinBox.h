#pragma once

#include <QSpinBox>

// An up-down field whose typed value counts as a whole: a number outside the range is not cut to
// the digits that fit (99 to 9 under 50) but gives back the value the field had before the typing.
// The value changes when the typing ends (Enter, leaving the field), not on every key.
class RangeSpinBox : public QSpinBox {
    Q_OBJECT

public:
    explicit RangeSpinBox(QWidget* parent = nullptr);

protected:
    QValidator::State validate(QString& input, int& pos) const override;
};
