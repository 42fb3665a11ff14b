#pragma once

#include <lz4.h>

#include <QByteArray>
#include <initializer_list>

// Browser session files as the browsers write them, for tests of the open-tab readers.

// A Firefox session file: mozLz4 around the JSON.
inline QByteArray MozLz4(const QByteArray& json) {
    QByteArray out("mozLz40\0", 8);
    const quint32 size = static_cast<quint32>(json.size());
    out.append(reinterpret_cast<const char*>(&size), 4);
    QByteArray block(LZ4_compressBound(json.size()), '\0');
    const int n = LZ4_compress_default(json.constData(), block.data(), json.size(), block.size());
    out.append(block.left(n));
    return out;
}

// A Chromium session file (SNSS) built record by record.
class SessionWriter {
  public:
    SessionWriter() {
        Int(bytes_, 0x53534E53);
        Int(bytes_, 3);
    }
    void Ints(quint8 id, std::initializer_list<qint32> values) {
        QByteArray payload;
        for (qint32 v : values) {
            Int(payload, v);
        }
        Record(id, payload);
    }
    void Navigation(qint32 tab, qint32 index, const QByteArray& url) {
        QByteArray body;
        Int(body, tab);
        Int(body, index);
        Int(body, url.size());
        body += url;
        while (body.size() % 4) {
            body += '\0';
        }
        Int(body, 0);  // an empty title
        QByteArray pickle;
        Int(pickle, body.size());
        Record(6, pickle + body);
    }
    void Closed(quint8 id, qint32 which) { Ints(id, {which, 0, 0, 0}); }
    QByteArray Bytes() const { return bytes_; }

  private:
    static void Int(QByteArray& b, qint32 v) { b.append(reinterpret_cast<const char*>(&v), 4); }
    void Record(quint8 id, const QByteArray& payload) {
        const quint16 size = static_cast<quint16>(payload.size() + 1);
        bytes_.append(reinterpret_cast<const char*>(&size), 2);
        bytes_.append(static_cast<char>(id));
        bytes_.append(payload);
    }
    QByteArray bytes_;
};
