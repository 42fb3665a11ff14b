#pragma once

#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QString>

#include "logic/HttpGetThread.h"

// Writes what downloads send and receive into a web archive (WARC 1.1), as archives keep it: a
// warcinfo record first, then for every answer, error pages and redirects included, a request
// and a response record holding the messages as they went over the wire. Each record is written
// whole or not at all, gzip-compressed on its own when the file name ends in ".gz"; a fetch that
// got no answer, or was stopped, writes none. Records go at the end of an existing archive.
class TWarcWriter final : public TResponseRecorder {
  public:
    explicit TWarcWriter(const QString& path);

    // Opens the archive and writes its warcinfo record.
    TOutcome Open(const QString& software);
    // The first failure to write, if any.
    const QString& Error() const { return error_; }

    void Answer(const QString& url, const QByteArray& request, const QByteArray& head) override;
    void Body(const char* data, size_t size) override;
    void Finish(bool complete) override;

  private:
    QByteArray Record(const QByteArray& type, const QByteArray& id, const QByteArray& fields,
                      const QByteArray& contentType, const QByteArray& block);
    void Write(const QByteArray& record);

    QFile file_;
    const bool gzip_;
    QString error_;
    bool answering_ = false;
    QString url_;
    QByteArray request_;
    QByteArray head_;
    QByteArray body_;
};

// "sha1:" and the base-32 digest of data, as WARC digests are written.
QByteArray WarcDigest(const QByteArray& data);
