#include "platform/Secrets.h"

#include <QRandomGenerator>

QString RandomHex(int words) {
    QString text;
    for (int i = 0; i < words; ++i) {
        text +=
            QString::number(QRandomGenerator::system()->generate64(), 16).rightJustified(16, '0');
    }
    return text;
}
