#include "logic/EngineExchange.h"

#include <QJsonValue>
#include <QList>
#include <QUrl>

namespace {
constexpr char kRenamed[] = "X-Archive-Orig-";

// Header lines from a protocol headers object; a value holding several lines is one header
// received several times. Line breaks never reach the archive's head otherwise.
QByteArray HeaderLines(const QJsonObject& headers) {
    QByteArray lines;
    for (auto it = headers.begin(); it != headers.end(); ++it) {
        const QByteArray name = it.key().toUtf8().trimmed();
        if (name.isEmpty() || name.contains(':') || name.contains('\r') || name.contains('\n')) {
            continue;
        }
        for (const QString& value : it.value().toString().split('\n')) {
            lines += name + ": " + value.toUtf8().replace('\r', "") + "\r\n";
        }
    }
    return lines;
}

QByteArray RebuiltHead(const QJsonObject& response) {
    QByteArray statusText = response["statusText"].toString().toUtf8();
    statusText.replace('\r', "").replace('\n', " ");
    return "HTTP/1.1 " + QByteArray::number(response["status"].toInt()) + " " + statusText +
           "\r\n" + HeaderLines(response["headers"].toObject());
}

}  // namespace

QByteArray EngineRequestMessage(const QJsonObject& request, const QJsonObject& sentHeaders) {
    const QUrl url(request["url"].toString());
    QByteArray target = url.path(QUrl::FullyEncoded).toUtf8();
    if (target.isEmpty()) {
        target = "/";
    }
    if (url.hasQuery()) {
        target += "?" + url.query(QUrl::FullyEncoded).toUtf8();
    }
    QByteArray method = request["method"].toString("GET").toUtf8();
    if (method.isEmpty() || method.contains(' ') || method.contains('\r') ||
        method.contains('\n')) {
        method = "GET";
    }
    QJsonObject headers = sentHeaders.isEmpty() ? request["headers"].toObject() : sentHeaders;
    if (!headers.contains("Host") && !headers.contains("host")) {
        headers["Host"] = url.authority(QUrl::FullyEncoded);
    }
    return method + " " + target + " HTTP/1.1\r\n" + HeaderLines(headers) + "\r\n" +
           request["postData"].toString().toUtf8();
}

QByteArray ArchivedResponseHead(const QJsonObject& response, const QByteArray& headersText,
                                qint64 bodySize, bool contentDecoded) {
    const QByteArray received =
        headersText.startsWith("HTTP/") ? headersText : RebuiltHead(response);
    QList<QByteArray> lines = received.split('\n');
    QByteArray head = lines.takeFirst().trimmed().replace('\r', "") + "\r\n";
    const QByteArray length = QByteArray::number(bodySize);
    bool lengthHolds = false;
    for (QByteArray line : lines) {
        line = line.trimmed().replace('\r', "");
        const int colon = line.indexOf(':');
        if (colon <= 0) {
            continue;  // the blank line that ends it, or nothing a header could be
        }
        const QByteArray name = line.left(colon).trimmed().toLower();
        const bool stale = (contentDecoded && name == "content-encoding") ||
                           name == "transfer-encoding" ||
                           (name == "content-length" && line.mid(colon + 1).trimmed() != length);
        lengthHolds = lengthHolds || (name == "content-length" && !stale);
        head += (stale ? kRenamed : "") + line + "\r\n";
    }
    return head + (lengthHolds ? "" : "Content-Length: " + length + "\r\n") + "\r\n";
}
