#pragma once

#include <QByteArray>
#include <QtEndian>

#include "support/Files.h"

// Writes one Chromium simple-cache "_0" entry (format version 5): header, key, body, the body's
// end record, the pickled response info with the raw headers, and its end record.
inline bool WriteSimpleCacheEntry(const QString& path, const QByteArray& key,
                                  const QByteArray& rawHeaders, const QByteArray& body) {
    auto u32 = [](QByteArray& out, quint32 v) {
        char b[4];
        qToLittleEndian(v, b);
        out.append(b, 4);
    };
    auto u64 = [](QByteArray& out, quint64 v) {
        char b[8];
        qToLittleEndian(v, b);
        out.append(b, 8);
    };
    auto eof = [&](QByteArray& out, quint32 streamSize) {
        u64(out, 0xf4fa6f45970d41d8ULL);
        u32(out, 0);  // no checksum, no key hash
        u32(out, 0);
        u32(out, streamSize);
        u32(out, 0);
    };
    QByteArray head = rawHeaders;
    head.append(QByteArray((4 - head.size() % 4) % 4, '\0'));
    QByteArray pickle;
    u32(pickle, 0);  // payload size, set below
    u32(pickle, 3);  // version 3, no flags
    u64(pickle, 13300000000000000ULL);
    u64(pickle, 13300000000000000ULL);
    u32(pickle, static_cast<quint32>(rawHeaders.size()));
    pickle.append(head);
    qToLittleEndian(static_cast<quint32>(pickle.size() - 4), pickle.data());

    QByteArray file;
    u64(file, 0xfcfb6d1ba7725c30ULL);
    u32(file, 5);
    u32(file, static_cast<quint32>(key.size()));
    u32(file, 0);
    u32(file, 0);
    file.append(key);
    file.append(body);
    eof(file, static_cast<quint32>(body.size()));
    file.append(pickle);
    eof(file, static_cast<quint32>(pickle.size()));
    return WriteFile(path, file);
}

// Raw response headers as the cache keeps them: lines ended by NUL, then one more NUL.
inline QByteArray RawHeaders(const QByteArray& type, int length,
                             const QByteArray& statusLine = "HTTP/1.1 200 OK") {
    return statusLine + QByteArray(1, '\0') + "Content-Type: " + type + '\0' +
           "Content-Length: " + QByteArray::number(length) + '\0' + '\0';
}
