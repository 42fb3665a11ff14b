#include "platform/CacheEntryReaders.h"

#include "platform/Pickle.h"

#include <QIODevice>
#include <QtEndian>
#include <cstring>

namespace {
constexpr quint64 kSimpleInitialMagic = 0xfcfb6d1ba7725c30ULL;
constexpr quint64 kSimpleFinalMagic = 0xf4fa6f45970d41d8ULL;
constexpr qint64 kSimpleRecord = 24;      // header and end-of-stream records
constexpr qint64 kMaxKey = 64 * 1024;     // keys are addresses: never longer
constexpr qint64 kMaxHead = 1024 * 1024;  // stream 0 and Firefox metadata
constexpr qint64 kFirefoxChunk = 262144;
constexpr int kTruncatedFlag = 1 << 12;
constexpr quint32 kExtraFlags = 0x80000000u;

// Exactly size bytes at offset, or nothing.
std::optional<QByteArray> ReadAt(QIODevice& file, qint64 offset, qint64 size) {
    if (offset < 0 || size < 0 || offset > file.size() || size > file.size() - offset ||
        !file.seek(offset)) {
        return std::nullopt;
    }
    QByteArray data = file.read(size);
    if (data.size() != size) {
        return std::nullopt;
    }
    return data;
}

template <typename T>
T Le(const QByteArray& data, qint64 at) {
    return qFromLittleEndian<T>(data.constData() + at);
}

template <typename T>
T Be(const QByteArray& data, qint64 at) {
    return qFromBigEndian<T>(data.constData() + at);
}

// Chromium's pickled response info: flags, times, then the raw headers.
bool ReadResponseInfo(const QByteArray& stream0, TCachedResponse* response) {
    TPickleReader pickle(stream0);
    qint32 flags = 0;
    qint32 extra = 0;
    qint64 time = 0;
    QByteArray head;
    if (!pickle.Int32(&flags) ||
        ((static_cast<quint32>(flags) & kExtraFlags) && !pickle.Int32(&extra)) ||
        !pickle.Int64(&time) || !pickle.Int64(&time) || ((extra & 4) && !pickle.Int64(&time)) ||
        !pickle.String(&head)) {
        return false;
    }
    if ((flags & kTruncatedFlag) || (extra & 1)) {
        response->complete = false;  // cut short, or compressed with a dictionary we lack
    }
    ParseResponseHead(head, '\0', response);
    return response->status > 0;
}
}  // namespace

QString ReadSimpleCacheUrl(QIODevice& file) {
    const auto header = ReadAt(file, 0, kSimpleRecord);
    if (!header || Le<quint64>(*header, 0) != kSimpleInitialMagic) {
        return QString();
    }
    const qint64 keySize = Le<quint32>(*header, 12);
    const auto key =
        keySize > 0 && keySize <= kMaxKey ? ReadAt(file, kSimpleRecord, keySize) : std::nullopt;
    return key ? UrlFromChromiumKey(*key) : QString();
}

std::optional<TCachedResponse> ReadSimpleCacheEntry(QIODevice& file) {
    const qint64 size = file.size();
    const auto header = ReadAt(file, 0, kSimpleRecord);
    const auto eof0 = ReadAt(file, size - kSimpleRecord, kSimpleRecord);
    if (!header || !eof0 || Le<quint64>(*header, 0) != kSimpleInitialMagic ||
        Le<quint64>(*eof0, 0) != kSimpleFinalMagic) {
        return std::nullopt;  // another format, or an entry still being written
    }
    const qint64 keySize = Le<quint32>(*header, 12);
    const qint64 stream0Size = Le<quint32>(*eof0, 16);
    const qint64 keyHash = (Le<quint32>(*eof0, 8) & 2) ? 32 : 0;
    const qint64 bodySize =
        size - kSimpleRecord - keySize - kSimpleRecord - stream0Size - keyHash - kSimpleRecord;
    if (keySize <= 0 || keySize > kMaxKey || stream0Size > kMaxHead || bodySize < 0) {
        return std::nullopt;
    }
    const qint64 bodyOffset = kSimpleRecord + keySize;
    const auto key = ReadAt(file, kSimpleRecord, keySize);
    const auto eof1 = ReadAt(file, bodyOffset + bodySize, kSimpleRecord);
    const auto stream0 = ReadAt(file, bodyOffset + bodySize + kSimpleRecord, stream0Size);
    if (!key || !eof1 || !stream0 || Le<quint64>(*eof1, 0) != kSimpleFinalMagic) {
        return std::nullopt;
    }
    TCachedResponse response;
    response.url = UrlFromChromiumKey(*key);
    response.bodyOffset = bodyOffset;
    response.bodySize = bodySize;
    if (response.url.isEmpty() || !ReadResponseInfo(*stream0, &response)) {
        return std::nullopt;
    }
    return response;
}

std::optional<TCachedResponse> ReadCache2Entry(QIODevice& file) {
    const qint64 size = file.size();
    const auto tail = ReadAt(file, size - 4, 4);
    if (!tail) {
        return std::nullopt;
    }
    const qint64 metaOffset = Be<quint32>(*tail, 0);
    const qint64 chunks = (metaOffset + kFirefoxChunk - 1) / kFirefoxChunk;
    const qint64 metaSize = size - 4 - metaOffset;
    // While a body is written the metadata is missing and the "offset" is body bytes.
    if (metaOffset >= size || metaSize <= 0 || metaSize > kMaxHead + 2 * chunks) {
        return std::nullopt;
    }
    const auto meta = ReadAt(file, metaOffset, metaSize);
    if (!meta) {
        return std::nullopt;
    }
    qint64 at = 4 + 2 * chunks;  // past the hashes
    if (at + 28 > meta->size()) {
        return std::nullopt;
    }
    const quint32 version = Be<quint32>(*meta, at);
    if (version < 1 || version > 4) {
        return std::nullopt;
    }
    const qint64 keySize = Be<quint32>(*meta, at + 24);
    at += version >= 2 ? 32 : 28;
    if (keySize <= 0 || keySize > kMaxKey || at + keySize + 1 > meta->size() ||
        meta->at(at + keySize) != '\0') {
        return std::nullopt;
    }
    TCachedResponse response;
    response.url = UrlFromFirefoxKey(meta->mid(at, keySize));
    at += keySize + 1;
    // name\0value\0 pairs to the end.
    const QList<QByteArray> fields = meta->mid(at).split('\0');
    QByteArray head;
    QByteArray method = "GET";
    qint64 bodySize = metaOffset;
    for (int i = 0; i + 1 < fields.size(); i += 2) {
        if (fields[i] == "response-head") {
            head = fields[i + 1];
        } else if (fields[i] == "request-method") {
            method = fields[i + 1];
        } else if (fields[i] == "alt-data") {
            // "1;<offset>,<type>": the body ends where the alternative data begins.
            const QByteArray value = fields[i + 1];
            const int semi = value.indexOf(';');
            const int comma = value.indexOf(',');
            bool ok = false;
            const qint64 end = value.mid(semi + 1, comma - semi - 1).toLongLong(&ok);
            if (semi > 0 && comma > semi && ok && end >= 0 && end <= metaOffset) {
                bodySize = end;
            }
        }
    }
    if (response.url.isEmpty() || head.isEmpty() || method != "GET") {
        return std::nullopt;
    }
    ParseResponseHead(head, '\n', &response);
    response.bodyOffset = 0;
    response.bodySize = bodySize;
    return response.status > 0 ? std::optional(response) : std::nullopt;
}
