#pragma once

// Content codings made for tests: bodies as servers compress them, and bombs.
#include <zlib.h>

#include <QByteArray>
#include <algorithm>

// windowBits as zlib takes them: 15 + 16 gzip, 15 zlib, -15 raw deflate.
inline QByteArray Deflate(const QByteArray& data, int windowBits) {
    z_stream s{};
    deflateInit2(&s, 9, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(static_cast<int>(deflateBound(&s, static_cast<uLong>(data.size()))) + 32, '\0');
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    s.avail_in = static_cast<uInt>(data.size());
    s.next_out = reinterpret_cast<Bytef*>(out.data());
    s.avail_out = static_cast<uInt>(out.size());
    deflate(&s, Z_FINISH);
    out.truncate(static_cast<int>(s.total_out));
    deflateEnd(&s);
    return out;
}

// A gzip stream of head followed by zeros zero bytes, made without holding them all.
inline QByteArray GzipOfZeros(const QByteArray& head, qint64 zeros) {
    z_stream s{};
    deflateInit2(&s, 1, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY);
    const QByteArray block(1 << 20, '\0');
    QByteArray out;
    char buffer[1 << 16];
    auto feed = [&](const QByteArray& data, int flush) {
        s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
        s.avail_in = static_cast<uInt>(data.size());
        do {
            s.next_out = reinterpret_cast<Bytef*>(buffer);
            s.avail_out = sizeof buffer;
            deflate(&s, flush);
            out.append(buffer, static_cast<qsizetype>(sizeof buffer - s.avail_out));
        } while (s.avail_out == 0);
    };
    feed(head, Z_NO_FLUSH);
    for (; zeros > 0; zeros -= block.size()) {
        feed(block.left(std::min<qint64>(zeros, block.size())), Z_NO_FLUSH);
    }
    feed(QByteArray(), Z_FINISH);
    deflateEnd(&s);
    return out;
}
