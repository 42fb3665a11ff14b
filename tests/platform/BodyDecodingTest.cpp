#include <brotli/encode.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include "platform/BodyDecoding.h"

namespace {
// windowBits as zlib takes them: 15 + 16 gzip, 15 zlib, -15 raw deflate.
QByteArray Deflate(const QByteArray& data, int windowBits) {
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

QByteArray Brotli(const QByteArray& data) {
    size_t size = BrotliEncoderMaxCompressedSize(static_cast<size_t>(data.size()));
    QByteArray out(static_cast<int>(size), '\0');
    BrotliEncoderCompress(BROTLI_DEFAULT_QUALITY, BROTLI_DEFAULT_WINDOW, BROTLI_MODE_GENERIC,
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
