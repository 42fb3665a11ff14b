#include "platform/FileOps.h"

#include <QFile>
#include <QSaveFile>

bool CopyFileAtomic(const QString& source, const QString& target) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        return false;
    }
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly)) {
        return false;
    }
    char block[64 * 1024];
    for (;;) {
        const qint64 n = in.read(block, sizeof block);
        if (n < 0) {
            out.cancelWriting();
            return false;
        }
        if (n == 0) {
            break;
        }
        if (out.write(block, n) != n) {
            out.cancelWriting();
            return false;
        }
    }
    return out.commit();
}
