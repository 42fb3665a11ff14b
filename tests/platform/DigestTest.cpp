// A digest taken beside a transfer is the digest of every byte, in order, whatever the pieces.
#include <gtest/gtest.h>

#include <QCryptographicHash>

#include "platform/DigestAlongside.h"

TEST(DigestAlongside, EveryByteInOrderWhateverThePieces) {
    QByteArray body(3 * 1024 * 1024 + 7, '\0');
    for (qsizetype i = 0; i < body.size(); ++i) {
        body[i] = static_cast<char>(i * 131 % 251);
    }
    const qsizetype pieceSizes[] = {13, 4096, 512 * 1024, 3 * 1024 * 1024};
    TDigestAlongside digest(TDigest::Kind::Sha256);
    for (const qsizetype size : {qsizetype(0), qsizetype(70000), body.size()}) {
        const QByteArray part = body.left(size);
        for (const qsizetype piece : pieceSizes) {
            for (qsizetype at = 0; at < part.size(); at += piece) {
                digest.Add(
                    QByteArrayView(part.constData() + at, std::min(piece, part.size() - at)));
            }
            // Each result starts the next digest afresh.
            EXPECT_EQ(digest.Result().toHex(),
                      QCryptographicHash::hash(part, QCryptographicHash::Sha256).toHex())
                << size << " in pieces of " << piece;
        }
    }
}
