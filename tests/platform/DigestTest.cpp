// A body taken beside a transfer: its digest is the digest of every byte in order, whatever the
// pieces, the file holds exactly those bytes, and a write the system refuses is reported.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QCryptographicHash>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <csignal>

#include "platform/BodyAlongside.h"
#include "platform/FileOps.h"

namespace {
QByteArray Body(qsizetype size) {
    QByteArray body(size, '\0');
    for (qsizetype i = 0; i < body.size(); ++i) {
        body[i] = static_cast<char>(i * 131 % 251);
    }
    return body;
}

// Adds the body in pieces of the size given; false as soon as one is refused.
bool AddInPieces(TBodyAlongside& taker, const QByteArray& body, qsizetype piece) {
    for (qsizetype at = 0; at < body.size(); at += piece) {
        if (!taker.Add(QByteArrayView(body.constData() + at, std::min(piece, body.size() - at)))) {
            return false;
        }
    }
    return true;
}

QByteArray Sha256Hex(const QByteArray& data) {
    return QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex();
}
}  // namespace

TEST(BodyAlongside, EveryByteInOrderWhateverThePieces) {
    const QByteArray body = Body(3 * 1024 * 1024 + 7);
    const qsizetype pieceSizes[] = {13, 4096, 512 * 1024, 3 * 1024 * 1024};
    TBodyAlongside digest(TDigest::Kind::Sha256);
    for (const qsizetype size : {qsizetype(0), qsizetype(70000), body.size()}) {
        const QByteArray part = body.left(size);
        for (const qsizetype piece : pieceSizes) {
            AddInPieces(digest, part, piece);
            // Each result starts the next digest afresh.
            EXPECT_EQ(digest.Result().toHex(), Sha256Hex(part))
                << size << " in pieces of " << piece;
        }
    }

    QTemporaryDir dir;
    for (const qsizetype size : {qsizetype(70000), body.size()}) {
        const QString path = dir.filePath(QString("%1.swf").arg(size));
        TAtomicFile file(path);
        TBodyAlongside taker(TDigest::Kind::Sha256, &file);
        ASSERT_TRUE(AddInPieces(taker, body.left(size), 16384));
        ASSERT_TRUE(taker.Written());
        EXPECT_EQ(taker.Result().toHex(), Sha256Hex(body.left(size)));
        ASSERT_TRUE(file.Commit());
        QFile written(path);
        ASSERT_TRUE(written.open(QIODevice::ReadOnly));
        EXPECT_TRUE(written.readAll() == body.left(size)) << size;
    }
}

// A file that may not grow past 2 MB, written past it: the write the thread makes fails, and
// that failure is what the taker reports, with the system's reason.
TEST(BodyAlongside, AWriteRefusedOnItsThreadIsReported) {
    rlimit before{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    const auto restore = qScopeGuard([&] {
        ::setrlimit(RLIMIT_FSIZE, &before);
        std::signal(SIGXFSZ, oldHandler);
    });
    rlimit limited = before;
    limited.rlim_cur = 2 * 1024 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    QTemporaryDir dir;
    {
        TAtomicFile file(dir.filePath("big.swf"));
        TBodyAlongside taker(TDigest::Kind::Sha256, &file);
        AddInPieces(taker, Body(4 * 1024 * 1024), 16384);
        EXPECT_FALSE(taker.Written());
        EXPECT_TRUE(file.Error().startsWith("cannot write " + dir.filePath("big.swf") + ": "))
            << file.Error().toStdString();
        EXPECT_FALSE(taker.Add("more")) << "nothing more is taken after a failed write";
    }
}
