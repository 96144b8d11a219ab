// Counting up the trailing digits of a serial number.
#include "log/SerialNumber.h"

namespace korvex {

QString nextSerialNumber(const QString& serial)
{
    qsizetype start = serial.size();
    while (start > 0 && serial[start - 1].isDigit() && serial[start - 1].unicode() < 128)
        --start;
    if (start == serial.size())
        return serial;
    QString digits = serial.mid(start);
    // Decimal carry on the text itself: any length, leading zeros kept.
    qsizetype i = digits.size() - 1;
    for (; i >= 0; --i) {
        if (digits[i] == QLatin1Char('9')) {
            digits[i] = QLatin1Char('0');
        } else {
            digits[i] = QChar(digits[i].unicode() + 1);
            break;
        }
    }
    if (i < 0)
        digits.prepend(QLatin1Char('1'));
    return serial.left(start) + digits;
}

} // namespace korvex
