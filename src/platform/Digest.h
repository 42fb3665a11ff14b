#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// A SHA-256 or SHA-1 digest taken as data arrives, through the system's cryptography library,
// which uses the processor's own instructions where it has them: every hash of the program
// (downloads, loads, manifests, web archive digests) is taken here.
class TDigest {
  public:
    enum class Kind { Sha256, Sha1 };
    explicit TDigest(Kind kind);
    ~TDigest();
    TDigest(const TDigest&) = delete;
    TDigest& operator=(const TDigest&) = delete;

    void Add(QByteArrayView data);
    // The digest's bytes; the digest then starts again, empty.
    QByteArray Result();
    void Reset();

    static QByteArray Of(Kind kind, QByteArrayView data);
    // Of a file's contents; empty when it cannot be read.
    static QByteArray OfFile(Kind kind, const QString& path);

  private:
    const Kind kind_;
    void* context_;
};
