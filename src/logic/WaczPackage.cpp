#include "logic/WaczPackage.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>
#include <algorithm>

namespace {
QString Timestamp14(const QDateTime& date) {
    return date.toUTC().toString("yyyyMMddhhmmss");
}

// A query as browsers write form fields: every byte but letters, digits and "*-._" escaped,
// a space as "+".
QString FormEncoded(const QString& text) {
    QString out;
    for (const char byte : text.toUtf8()) {
        const auto c = static_cast<unsigned char>(byte);
        if (std::isalnum(c) || c == '*' || c == '-' || c == '.' || c == '_') {
            out += QChar(c);
        } else if (c == ' ') {
            out += '+';
        } else {
            out += QString("%%1").arg(c, 2, 16, QChar('0')).toUpper();
        }
    }
    return out;
}

QString SortedQuery(const QString& query) {
    std::vector<std::pair<QString, QString>> pairs;
    for (const QString& part : query.split('&', Qt::SkipEmptyParts)) {
        const int equals = part.indexOf('=');
        auto decoded = [](QString text) {
            return QUrl::fromPercentEncoding(text.replace('+', ' ').toUtf8());
        };
        pairs.emplace_back(decoded(part.left(equals < 0 ? part.size() : equals)),
                           equals < 0 ? QString() : decoded(part.mid(equals + 1)));
    }
    std::stable_sort(pairs.begin(), pairs.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    QStringList parts;
    for (const auto& [name, value] : pairs) {
        parts << FormEncoded(name) + "=" + FormEncoded(value);
    }
    return parts.join('&');
}
}  // namespace

QString SurtKey(const QString& url) {
    QString lower = url.toLower();
    if (!lower.startsWith("http:") && !lower.startsWith("https:")) {
        return url;
    }
    lower.replace(QRegularExpression("^(https?://)www\\d*\\."), "\\1");
    const QUrl parsed(lower);
    if (!parsed.isValid() || parsed.host().isEmpty()) {
        return url;
    }
    QStringList labels = parsed.host(QUrl::FullyEncoded).split('.');
    std::reverse(labels.begin(), labels.end());
    QString key = labels.join(',');
    const int defaultPort = parsed.scheme() == "https" ? 443 : 80;
    if (parsed.port() != -1 && parsed.port() != defaultPort) {
        key += ":" + QString::number(parsed.port());
    }
    key += ")" + (parsed.path(QUrl::FullyEncoded).isEmpty() ? QString("/")
                                                            : parsed.path(QUrl::FullyEncoded));
    if (parsed.hasQuery()) {
        key += "?" + SortedQuery(parsed.query(QUrl::FullyEncoded));
    }
    return key;
}

QByteArray CdxjIndex(const std::vector<TIndexedRecord>& records, const QString& warcName) {
    QStringList lines;
    for (const TIndexedRecord& record : records) {
        const QJsonObject fields{{"url", record.url},
                                 {"mime", record.mime},
                                 {"status", QString::number(record.status)},
                                 {"digest", QString::fromLatin1(record.digest)},
                                 {"length", QString::number(record.length)},
                                 {"offset", QString::number(record.offset)},
                                 {"filename", warcName}};
        // Keys and times hold no spaces: a line splits on its first two.
        QString key = SurtKey(record.url);
        key.replace(' ', "%20");
        lines << key + " " + Timestamp14(record.date) + " " +
                     QString::fromUtf8(QJsonDocument(fields).toJson(QJsonDocument::Compact));
    }
    std::stable_sort(lines.begin(), lines.end(), [](const QString& a, const QString& b) {
        return a.section(' ', 0, 1) < b.section(' ', 0, 1);
    });
    return lines.isEmpty() ? QByteArray() : (lines.join('\n') + "\n").toUtf8();
}

QByteArray PagesJsonl(const std::vector<TArchivedPage>& pages) {
    QByteArray out = R"({"format":"json-pages-1.0","id":"pages","title":"All Pages"})"
                     "\n";
    int id = 0;
    for (const TArchivedPage& page : pages) {
        const QJsonObject line{{"id", QString::number(++id)},
                               {"url", page.url},
                               {"title", page.title},
                               {"ts", page.date.toUTC().toString(Qt::ISODate)}};
        out += QJsonDocument(line).toJson(QJsonDocument::Compact) + "\n";
    }
    return out;
}

QByteArray DataPackageJson(const std::vector<TPackagedFile>& files, const QString& software,
                           const QDateTime& created, const QString& title) {
    QJsonArray resources;
    for (const TPackagedFile& file : files) {
        resources.append(QJsonObject{{"name", QFileInfo(file.path).fileName()},
                                     {"path", file.path},
                                     {"hash", "sha256:" + QString::fromLatin1(file.sha256)},
                                     {"bytes", file.bytes}});
    }
    QJsonObject package{{"profile", "data-package"},
                        {"wacz_version", "1.1.1"},
                        {"software", software},
                        {"created", created.toUTC().toString(Qt::ISODate)},
                        {"resources", resources}};
    if (!title.isEmpty()) {
        package["title"] = title;
    }
    return QJsonDocument(package).toJson(QJsonDocument::Indented);
}
