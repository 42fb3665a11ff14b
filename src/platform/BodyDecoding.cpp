#include "platform/BodyDecoding.h"

#include <brotli/decode.h>
#include <zlib.h>

#include <QList>
#include <algorithm>

namespace {
// Whether decoding has gone far enough: out is cut at the stop and the stage ends there. A
// stage that outgrows the cap fails.
enum class Grown { Go, Stop, TooLarge };
Grown Check(QByteArray& out, const DecodeStop& stopAt, qint64 cap) {
    const qint64 stop = stopAt ? std::min(stopAt(out), cap + 1) : cap + 1;
    if (out.size() < stop) {
        return Grown::Go;
    }
    if (stop > cap) {
        return Grown::TooLarge;
    }
    out.truncate(stop);
    return Grown::Stop;
}

// What one stage may decode to: real bodies shrink a few times when coded, a bomb by thousands.
qint64 StageCap(const QByteArray& data) {
    return std::min(kMaxDecodedBody, std::max(kMinExpansionCap, kMaxExpansion * data.size()));
}

// windowBits: 15 + 32 reads a zlib or gzip stream, -15 a raw deflate stream.
std::optional<QByteArray> Inflate(const QByteArray& data, int windowBits,
                                  const DecodeStop& stopAt) {
    z_stream stream{};
    if (inflateInit2(&stream, windowBits) != Z_OK) {
        return std::nullopt;
    }
    QByteArray out;
    char buffer[64 * 1024];
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    stream.avail_in = static_cast<uInt>(data.size());
    int result = Z_OK;
    Grown grown = Grown::Go;
    const qint64 cap = StageCap(data);
    while (result == Z_OK && grown == Grown::Go) {
        stream.next_out = reinterpret_cast<Bytef*>(buffer);
        stream.avail_out = sizeof buffer;
        result = inflate(&stream, Z_NO_FLUSH);
        out.append(buffer, static_cast<qsizetype>(sizeof buffer - stream.avail_out));
        grown = Check(out, stopAt, cap);
        if (result == Z_BUF_ERROR && stream.avail_in == 0) {
            break;  // the input ended before the stream did
        }
    }
    inflateEnd(&stream);
    if (grown == Grown::TooLarge || (result != Z_STREAM_END && grown != Grown::Stop)) {
        return std::nullopt;
    }
    return out;
}

std::optional<QByteArray> Unbrotli(const QByteArray& data, const DecodeStop& stopAt) {
    BrotliDecoderState* state = BrotliDecoderCreateInstance(nullptr, nullptr, nullptr);
    if (!state) {
        return std::nullopt;
    }
    QByteArray out;
    uint8_t buffer[64 * 1024];
    size_t availableIn = static_cast<size_t>(data.size());
    const auto* nextIn = reinterpret_cast<const uint8_t*>(data.constData());
    BrotliDecoderResult result = BROTLI_DECODER_RESULT_NEEDS_MORE_OUTPUT;
    Grown grown = Grown::Go;
    const qint64 cap = StageCap(data);
    while (result == BROTLI_DECODER_RESULT_NEEDS_MORE_OUTPUT && grown == Grown::Go) {
        size_t availableOut = sizeof buffer;
        uint8_t* nextOut = buffer;
        result = BrotliDecoderDecompressStream(state, &availableIn, &nextIn, &availableOut,
                                               &nextOut, nullptr);
        out.append(reinterpret_cast<const char*>(buffer),
                   static_cast<qsizetype>(sizeof buffer - availableOut));
        grown = Check(out, stopAt, cap);
    }
    BrotliDecoderDestroyInstance(state);
    if (grown == Grown::TooLarge ||
        (result != BROTLI_DECODER_RESULT_SUCCESS && grown != Grown::Stop)) {
        return std::nullopt;
    }
    return out;
}
}  // namespace

std::optional<QByteArray> DecodeBody(const QByteArray& body, const QByteArray& contentEncoding,
                                     const DecodeStop& stopAt) {
    QList<QByteArray> codings;
    for (const QByteArray& coding : contentEncoding.toLower().split(',')) {
        if (!coding.trimmed().isEmpty() && coding.trimmed() != "identity") {
            codings << coding.trimmed();
        }
    }
    std::optional<QByteArray> data = body;
    // The last coding applied is undone first; only the outermost stage yields the body itself.
    for (qsizetype i = codings.size() - 1; i >= 0 && data; --i) {
        const QByteArray& coding = codings[i];
        const DecodeStop stop = i == 0 ? stopAt : DecodeStop();
        if (coding == "gzip" || coding == "x-gzip") {
            data = Inflate(*data, 15 + 16, stop);
        } else if (coding == "deflate") {
            // Servers send zlib streams or, against the standard, raw deflate.
            auto zlib = Inflate(*data, 15, stop);
            data = zlib ? zlib : Inflate(*data, -15, stop);
        } else if (coding == "br") {
            data = Unbrotli(*data, stop);
        } else {
            return std::nullopt;
        }
    }
    return data;
}
