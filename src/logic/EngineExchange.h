#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

// One answer the browser engine received, told by its debugging protocol's network events, in
// the form a web archive keeps it: the request and the answer's head as HTTP/1.1 messages, and
// the body as the engine handed it to the page.
struct TEngineExchange {
    QString url;
    QByteArray request;  // request line, headers, blank line, any body sent
    QByteArray head;     // status line, headers, blank line
    QByteArray body;
};

// The request as sent: the method and address of request (a protocol Request object), the
// headers the engine really sent when it told them (sentHeaders), else those of request.
QByteArray EngineRequestMessage(const QJsonObject& request, const QJsonObject& sentHeaders);

// The answer's head for a body of bodySize bytes, as archived. headersText is the head as
// received, when it was told (HTTP/1.x); otherwise the head is rebuilt from response (a protocol
// Response object). What the body kept no longer is, is kept under its name prefixed with
// "X-Archive-Orig-" (Transfer-Encoding, a Content-Length that no longer holds, and when the body
// was decoded, as the engine hands bodies over, Content-Encoding), and Content-Length gives the
// body's size.
QByteArray ArchivedResponseHead(const QJsonObject& response, const QByteArray& headersText,
                                qint64 bodySize, bool contentDecoded = true);
