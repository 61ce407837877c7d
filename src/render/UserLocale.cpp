#include "UserLocale.h"

#include <QLocale>

char userDecimalSeparator() {
    const QString point = QLocale().decimalPoint();
    return (!point.isEmpty() && point.at(0) == QLatin1Char(',')) ? ',' : '.';
}
