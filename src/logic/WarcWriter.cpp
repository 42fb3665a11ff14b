#include "logic/WarcWriter.h"

#include <zlib.h>

#include <QDateTime>
#include <QUuid>

#include "logic/ChunkedBody.h"
#include "platform/Outcome.h"

namespace {
QByteArray NewRecordId() {
    return "<urn:uuid:" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces) + ">";
}

QByteArray Now() {
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toLatin1();
}

QByteArray Base32(const QByteArray& data) {
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567";
    QByteArray out;
    quint64 buffer = 0;
    int bits = 0;
    for (const char byte : data) {
        buffer = (buffer << 8) | static_cast<quint8>(byte);
        bits += 8;
        while (bits >= 5) {
            out += alphabet[(buffer >> (bits - 5)) & 31];
            bits -= 5;
        }
    }
    if (bits > 0) {
        out += alphabet[(buffer << (5 - bits)) & 31];
    }
    while (out.size() % 8 != 0) {
        out += '=';
    }
    return out;
}

// One gzip member holding data: a reader takes the archive's members one after another.
QByteArray GzipMember(const QByteArray& data) {
    z_stream s{};
    deflateInit2(&s, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(static_cast<qsizetype>(deflateBound(&s, static_cast<uLong>(data.size()))) + 32,
                   Qt::Uninitialized);
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    s.avail_in = static_cast<uInt>(data.size());
    s.next_out = reinterpret_cast<Bytef*>(out.data());
    s.avail_out = static_cast<uInt>(out.size());
    deflate(&s, Z_FINISH);
    out.truncate(static_cast<qsizetype>(s.total_out));
    deflateEnd(&s);
    return out;
}
}  // namespace

QByteArray WarcDigest(const QByteArray& data) {
    return "sha1:" + Base32(QCryptographicHash::hash(data, QCryptographicHash::Sha1));
}

TWarcWriter::TWarcWriter(const QString& path)
    : file_(path), gzip_(path.endsWith(".gz", Qt::CaseInsensitive)) {}

TOutcome TWarcWriter::Open(const QString& software) {
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Append)) {
        return TOutcome::Failed("cannot write " + file_.fileName() + ": " + file_.errorString());
    }
    const QByteArray fields = "software: " + software.toUtf8() +
                              "\r\nformat: WARC File Format 1.1\r\n"
                              "conformsTo: https://iipc.github.io/warc-specifications/"
                              "specifications/warc-format/warc-1.1/\r\n";
    Write(Record("warcinfo", NewRecordId(),
                 "WARC-Filename: " + file_.fileName().section('/', -1).toUtf8() + "\r\n",
                 "application/warc-fields", fields));
    return error_.isEmpty() ? TOutcome::Done() : TOutcome::Failed(error_);
}

void TWarcWriter::Answer(const QString& url, const QByteArray& request, const QByteArray& head) {
    Finish(true);  // an answer without a body, a redirect say, has ended
    answering_ = true;
    url_ = url;
    request_ = request;
    head_ = head;
    body_.clear();
}

void TWarcWriter::Body(const char* data, size_t size) {
    if (answering_) {
        body_.append(data, static_cast<qsizetype>(size));
    }
}

void TWarcWriter::Finish(bool complete) {
    if (!answering_) {
        return;
    }
    answering_ = false;
    if (!complete) {
        return;  // cut off: nothing of it is kept
    }
    QByteArray payload = body_;
    if (IsChunked(head_)) {
        TChunkedBody chunks;
        payload = chunks.Feed(body_.constData(), body_.size());
    }
    const QByteArray responseId = NewRecordId();
    const QByteArray target = "WARC-Target-URI: " + url_.toUtf8() + "\r\n";
    const QByteArray response = head_ + body_;
    const QByteArray record =
        Record("response", responseId,
               target + "WARC-Payload-Digest: " + WarcDigest(payload) + "\r\n",
               "application/http;msgtype=response", response) +
        Record("request", NewRecordId(), target + "WARC-Concurrent-To: " + responseId + "\r\n",
               "application/http;msgtype=request", request_);
    Write(record);
    body_.clear();
}

QByteArray TWarcWriter::Record(const QByteArray& type, const QByteArray& id,
                               const QByteArray& fields, const QByteArray& contentType,
                               const QByteArray& block) {
    const QByteArray record =
        "WARC/1.1\r\nWARC-Type: " + type + "\r\nWARC-Record-ID: " + id + "\r\nWARC-Date: " + Now() +
        "\r\n" + fields + "Content-Type: " + contentType +
        "\r\nWARC-Block-Digest: " + WarcDigest(block) +
        "\r\nContent-Length: " + QByteArray::number(block.size()) + "\r\n\r\n" + block + "\r\n\r\n";
    return gzip_ ? GzipMember(record) : record;
}

void TWarcWriter::Write(const QByteArray& records) {
    if (!error_.isEmpty()) {
        return;
    }
    // A record is in the archive whole or not at all: what a failed write left is cut off.
    const qint64 end = file_.size();
    if (file_.write(records) != records.size() || !file_.flush()) {
        error_ = "cannot write " + file_.fileName() + ": " + file_.errorString();
        file_.resize(end);
    }
}
