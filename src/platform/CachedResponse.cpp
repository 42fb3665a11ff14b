#include "platform/CachedResponse.h"

#include <QRegularExpression>

QByteArray TCachedResponse::Header(const QByteArray& name) const {
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0) {
            return value;
        }
    }
    return QByteArray();
}

void ParseResponseHead(const QByteArray& head, char separator, TCachedResponse* response) {
    const QList<QByteArray> lines = head.split(separator);
    if (lines.isEmpty()) {
        return;
    }
    // "HTTP/1.1 200 OK": the status is the second word.
    const QList<QByteArray> words = lines.first().trimmed().split(' ');
    response->status = words.size() > 1 ? words[1].toInt() : 0;
    for (int i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        const int colon = line.indexOf(':');
        if (colon > 0) {
            response->headers.emplace_back(line.left(colon).trimmed(),
                                           line.mid(colon + 1).trimmed());
        }
    }
}

QString UrlFromChromiumKey(const QByteArray& key) {
    static const QRegularExpression prefix("^(\\d+)/(\\d+)/");
    QString rest = QString::fromUtf8(key);
    const auto match = prefix.match(rest);
    if (match.hasMatch()) {
        if (match.captured(2) != "0") {
            return QString();  // the answer to a POST: not a resource of its own
        }
        rest = rest.mid(match.capturedLength());
    } else if (static const QRegularExpression upload("^(\\d+)/"); upload.match(rest).hasMatch()) {
        const auto old = upload.match(rest);
        if (old.captured(1) != "0") {
            return QString();
        }
        rest = rest.mid(old.capturedLength());
    }
    if (rest.startsWith("_dk_")) {
        rest = rest.mid(rest.lastIndexOf(' ') + 1);
    }
    return rest.contains("://") ? rest : QString();
}

QString UrlFromFirefoxKey(const QByteArray& key) {
    // Tags are one character and an optional value, each ended by "," (",," is a literal comma);
    // ":" in place of a tag ends them and the address follows.
    int i = 0;
    while (i < key.size()) {
        if (key[i] == ':') {
            const QString url = QString::fromUtf8(key.mid(i + 1));
            return url.contains("://") ? url : QString();
        }
        if (key[i] == '~') {
            return QString();  // an enhanced (POST) response: not a resource of its own
        }
        ++i;  // the tag's character
        while (i < key.size()) {
            if (key[i] == ',' && i + 1 < key.size() && key[i + 1] == ',') {
                i += 2;
            } else if (key[i] == ',') {
                ++i;
                break;
            } else {
                ++i;
            }
        }
    }
    return QString();
}
