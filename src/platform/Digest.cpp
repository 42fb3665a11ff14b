#include "platform/Digest.h"

#include <QFile>

#include <openssl/evp.h>

namespace {
// Looked up once: naming the algorithm at each start costs more than hashing a small movie.
const EVP_MD* Algorithm(TDigest::Kind kind) {
    static EVP_MD* const sha256 = EVP_MD_fetch(nullptr, "SHA256", nullptr);
    static EVP_MD* const sha1 = EVP_MD_fetch(nullptr, "SHA1", nullptr);
    return kind == TDigest::Kind::Sha256 ? sha256 : sha1;
}
}  // namespace

TDigest::TDigest(Kind kind) : kind_(kind), context_(EVP_MD_CTX_new()) {
    Reset();
}

TDigest::~TDigest() {
    EVP_MD_CTX_free(static_cast<EVP_MD_CTX*>(context_));
}

void TDigest::Reset() {
    EVP_DigestInit_ex2(static_cast<EVP_MD_CTX*>(context_), Algorithm(kind_), nullptr);
}

void TDigest::Add(QByteArrayView data) {
    EVP_DigestUpdate(static_cast<EVP_MD_CTX*>(context_), data.data(),
                     static_cast<size_t>(data.size()));
}

QByteArray TDigest::Result() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    EVP_DigestFinal_ex(static_cast<EVP_MD_CTX*>(context_), digest, &size);
    Reset();
    return QByteArray(reinterpret_cast<const char*>(digest), static_cast<qsizetype>(size));
}

QByteArray TDigest::Of(Kind kind, QByteArrayView data) {
    TDigest digest(kind);
    digest.Add(data);
    return digest.Result();
}

QByteArray TDigest::OfFile(Kind kind, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    TDigest digest(kind);
    while (!file.atEnd()) {
        const QByteArray piece = file.read(1 << 20);
        if (piece.isEmpty()) {
            return {};
        }
        digest.Add(piece);
    }
    return digest.Result();
}
