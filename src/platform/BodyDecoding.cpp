#include "platform/BodyDecoding.h"

#include <brotli/decode.h>
#include <zlib.h>

#include <QList>

namespace {
constexpr qint64 kMaxDecoded = 1LL << 31;  // no movie is larger: refuse decompression bombs

// windowBits: 15 + 32 reads a zlib or gzip stream, -15 a raw deflate stream.
std::optional<QByteArray> Inflate(const QByteArray& data, int windowBits) {
    z_stream stream{};
    if (inflateInit2(&stream, windowBits) != Z_OK) {
        return std::nullopt;
    }
    QByteArray out;
    char buffer[64 * 1024];
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    stream.avail_in = static_cast<uInt>(data.size());
    int result = Z_OK;
    while (result == Z_OK && out.size() < kMaxDecoded) {
        stream.next_out = reinterpret_cast<Bytef*>(buffer);
        stream.avail_out = sizeof buffer;
        result = inflate(&stream, Z_NO_FLUSH);
        out.append(buffer, static_cast<qsizetype>(sizeof buffer - stream.avail_out));
        if (result == Z_BUF_ERROR && stream.avail_in == 0) {
            break;  // the input ended before the stream did
        }
    }
    inflateEnd(&stream);
    if (result != Z_STREAM_END) {
        return std::nullopt;
    }
    return out;
}

std::optional<QByteArray> Unbrotli(const QByteArray& data) {
    BrotliDecoderState* state = BrotliDecoderCreateInstance(nullptr, nullptr, nullptr);
    if (!state) {
        return std::nullopt;
    }
    QByteArray out;
    uint8_t buffer[64 * 1024];
    size_t availableIn = static_cast<size_t>(data.size());
    const auto* nextIn = reinterpret_cast<const uint8_t*>(data.constData());
    BrotliDecoderResult result = BROTLI_DECODER_RESULT_NEEDS_MORE_OUTPUT;
    while (result == BROTLI_DECODER_RESULT_NEEDS_MORE_OUTPUT && out.size() < kMaxDecoded) {
        size_t availableOut = sizeof buffer;
        uint8_t* nextOut = buffer;
        result = BrotliDecoderDecompressStream(state, &availableIn, &nextIn, &availableOut,
                                               &nextOut, nullptr);
        out.append(reinterpret_cast<const char*>(buffer),
                   static_cast<qsizetype>(sizeof buffer - availableOut));
    }
    BrotliDecoderDestroyInstance(state);
    if (result != BROTLI_DECODER_RESULT_SUCCESS) {
        return std::nullopt;
    }
    return out;
}
}  // namespace

std::optional<QByteArray> DecodeBody(const QByteArray& body, const QByteArray& contentEncoding) {
    QList<QByteArray> codings = contentEncoding.toLower().split(',');
    std::optional<QByteArray> data = body;
    // The last coding applied is undone first.
    for (auto it = codings.rbegin(); it != codings.rend() && data; ++it) {
        const QByteArray coding = it->trimmed();
        if (coding.isEmpty() || coding == "identity") {
            continue;
        } else if (coding == "gzip" || coding == "x-gzip") {
            data = Inflate(*data, 15 + 16);
        } else if (coding == "deflate") {
            // Servers send zlib streams or, against the standard, raw deflate.
            auto zlib = Inflate(*data, 15);
            data = zlib ? zlib : Inflate(*data, -15);
        } else if (coding == "br") {
            data = Unbrotli(*data);
        } else {
            return std::nullopt;
        }
    }
    return data;
}
