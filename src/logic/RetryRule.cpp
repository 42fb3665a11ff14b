#include "logic/RetryRule.h"

#include <QList>
#include <QLocale>
#include <QTimeZone>
#include <algorithm>

bool IsWorthRetrying(long httpStatus, bool connectionCut) {
    return connectionCut || httpStatus == 429 || httpStatus == 502 || httpStatus == 503 ||
           httpStatus == 504;
}

int RetryWaitMs(int retry, const QByteArray& retryAfter, const QDateTime& now) {
    const QByteArray value = retryAfter.trimmed();
    if (!value.isEmpty()) {
        bool isNumber = false;
        const qint64 seconds = value.toLongLong(&isNumber);
        if (isNumber && seconds >= 0) {
            return static_cast<int>(std::min<qint64>(seconds * 1000, kMaxRetryWaitMs));
        }
        // "Wed, 21 Oct 2015 07:28:00 GMT"
        const QDateTime at = QLocale::c().toDateTime(QString::fromLatin1(value.left(64)),
                                                     "ddd, dd MMM yyyy HH:mm:ss 'GMT'");
        if (at.isValid()) {
            QDateTime utc = at;
            utc.setTimeSpec(Qt::UTC);
            const qint64 ms = std::clamp<qint64>(now.msecsTo(utc), 0, kMaxRetryWaitMs);
            return static_cast<int>(ms);
        }
    }
    const int doublings = std::clamp(retry - 1, 0, 15);
    return std::min(1000 << doublings, kMaxRetryWaitMs);
}

QByteArray HeaderValue(const QByteArray& head, const QByteArray& name) {
    const QByteArray wanted = name.toLower() + ':';
    for (const QByteArray& line : head.split('\n')) {
        if (line.toLower().startsWith(wanted)) {
            return line.mid(wanted.size()).trimmed();
        }
    }
    return QByteArray();
}
