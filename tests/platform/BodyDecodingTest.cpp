#include <brotli/encode.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <QBuffer>

#include "platform/BodyDecoding.h"
#include "platform/UrlCache.h"
#include "support/Codings.h"

namespace {
QByteArray Brotli(const QByteArray& data, int quality = BROTLI_DEFAULT_QUALITY) {
    size_t size = BrotliEncoderMaxCompressedSize(static_cast<size_t>(data.size()));
    QByteArray out(static_cast<int>(size), '\0');
    BrotliEncoderCompress(quality, BROTLI_DEFAULT_WINDOW, BROTLI_MODE_GENERIC,
                          static_cast<size_t>(data.size()),
                          reinterpret_cast<const uint8_t*>(data.constData()), &size,
                          reinterpret_cast<uint8_t*>(out.data()));
    out.truncate(static_cast<int>(size));
    return out;
}
}  // namespace

TEST(DecodeBody, UndoesEveryCodingInReverseAndRefusesDamage) {
    const QByteArray movie = "FWS" + QByteArray(70000, 'm');  // more than one output block
    const struct {
        QByteArray stored;
        QByteArray encoding;
    } good[] = {
        {movie, ""},
        {movie, "identity"},
        {Deflate(movie, 31), "gzip"},
        {Deflate(movie, 31), "X-GZIP"},
        {Deflate(movie, 15), "deflate"},
        {Deflate(movie, -15), "deflate"},  // raw, as some servers send it
        {Brotli(movie), "br"},
        {Brotli(Deflate(movie, 31)), "gzip, br"},
    };
    for (const auto& c : good) {
        const auto body = DecodeBody(c.stored, c.encoding);
        ASSERT_TRUE(body) << c.encoding.constData();
        EXPECT_EQ(*body, movie) << c.encoding.constData();
    }
    const QByteArray gzip = Deflate(movie, 31);
    for (const auto& [stored, encoding] :
         {std::pair{gzip.left(gzip.size() / 2), QByteArray("gzip")},
          std::pair{QByteArray("not compressed"), QByteArray("gzip")},
          std::pair{Brotli(movie).left(10), QByteArray("br")},
          std::pair{QByteArray("garbage"), QByteArray("br")}, std::pair{movie, QByteArray("dcb")},
          std::pair{movie, QByteArray("zstd")}}) {
        EXPECT_FALSE(DecodeBody(stored, encoding)) << encoding.constData();
    }
}

// A small stored body that decodes to far more than its movie costs no more than the movie: the
// header's length ends it. Without a movie header, or declaring far more than its stored size
// can hold, it is refused.
QByteArray Declaring(quint32 length) {
    QByteArray header("FWS\x0A", 4);
    header.append(reinterpret_cast<const char*>(&length), 4);
    return header;
}

TEST(DecodeBody, BombsStopAtTheMoviesOwnLengthOrAreRefused) {
    QByteArray header("FWS\x0A", 4);
    const quint32 declared = 100;
    header.append(reinterpret_cast<const char*>(&declared), 4);
    const QByteArray bomb = header + QByteArray(16 * 1024 * 1024, '\0');
    const struct {
        QByteArray stored;
        QByteArray encoding;
        qint64 size;  // of the movie read, -1: refused
    } cases[] = {
        {Deflate(bomb, 31), "gzip", 100},
        {Deflate(bomb, 15), "deflate", 100},
        {Brotli(bomb, 1), "br", 100},
        {Brotli(Deflate(bomb, 31), 1), "gzip, br", 100},
        {GzipOfZeros("", kMaxDecodedBody + 1), "gzip", -1},
        {GzipOfZeros(Declaring(255 << 20), (255 << 20) - 8), "gzip", -1},
    };
    for (const auto& c : cases) {
        QByteArray stored = c.stored;
        QBuffer file(&stored);
        file.open(QIODevice::ReadOnly);
        TCachedResponse response;
        response.url = "http://h/bomb.swf";
        response.status = 200;
        response.headers = {{"Content-Encoding", c.encoding}};
        response.bodySize = stored.size();
        const auto body = ReadMovieBody(file, response);
        EXPECT_EQ(body ? body->size() : -1, c.size) << c.encoding.constData();
    }
}
