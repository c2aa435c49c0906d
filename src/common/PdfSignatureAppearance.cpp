#include "common/PdfSignatureAppearance.h"

namespace vorn::common {

QString signatureTimeText(const QDateTime& when) {
    const QDate date = when.date();
    const QTime time = when.time();
    return QStringLiteral("%1/%2/%3 %4:%5:%6")
        .arg(date.day(), 2, 10, QLatin1Char('0'))
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(time.hour(), 2, 10, QLatin1Char('0'))
        .arg(time.minute(), 2, 10, QLatin1Char('0'))
        .arg(time.msec(), 2, 10, QLatin1Char('0'));
}

} // namespace vorn::common
