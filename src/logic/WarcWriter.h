#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <mutex>

#include "logic/ChunkedBody.h"
#include "logic/EngineExchange.h"
#include "logic/HttpGetThread.h"
#include "platform/Digest.h"

// Writes what downloads send and receive into a web archive (WARC 1.1), as archives keep it: a
// warcinfo record first, then for every answer, error pages and redirects included, a response
// and a request record holding the messages as they went over the wire. A body is spooled to
// an unnamed file beside the archive as it arrives, so memory does not grow with its size; its
// records are written once it has ended, whole or not at all (what a failed write left is cut
// off, so the archive always ends on a whole record), each gzip-compressed on its own when the
// file name ends in ".gz". A fetch that got no answer, was cut off or was stopped writes none.
// Records go at the end of an existing archive.
class TWarcWriter final : public TResponseRecorder {
  public:
    explicit TWarcWriter(const QString& path);
    ~TWarcWriter() override;
    TWarcWriter(const TWarcWriter&) = delete;
    TWarcWriter& operator=(const TWarcWriter&) = delete;

    // Opens the archive and writes its warcinfo record.
    TOutcome Open(const QString& software);
    // The first failure to write, if any; from any thread.
    QString Error() const;

    void Answer(const QString& url, const QByteArray& request, const QByteArray& head) override;
    void Body(const char* data, size_t size) override;
    void Finish(bool complete) override;

    // Writes an answer received whole elsewhere (by the browser engine), with its request.
    // Safe beside a download writing into the same archive.
    bool Record(const TEngineExchange& exchange);
    // A metadata record about url: text, as a "note" field.
    bool Note(const QString& url, const QByteArray& text);

  private:
    class RecordOut;
    using BlockWriter = std::function<bool(RecordOut&)>;
    bool WriteRecord(RecordOut& out, const QByteArray& type, const QByteArray& id,
                     const QByteArray& fields, const QByteArray& contentType, qint64 blockSize,
                     const QByteArray& blockDigest, const BlockWriter& block);
    bool WriteExchange(const QString& url, const QByteArray& request, const QByteArray& head,
                       qint64 bodySize, const QByteArray& blockDigest,
                       const QByteArray& payloadDigest, const BlockWriter& body);
    bool CopySpool(RecordOut& out);
    void Fail(const QString& reason);
    void DropSpool();

    const QString path_;
    const bool gzip_;
    int fd_ = -1;
    std::mutex writeMutex_;  // one record at a time reaches the file
    mutable std::mutex errorMutex_;
    QString error_;
    // The answer being received.
    bool answering_ = false;
    QString url_;
    QByteArray request_;
    QByteArray head_;
    int spool_ = -1;  // its body, in a file with no name
    qint64 bodySize_ = 0;
    bool spoolFailed_ = false;
    int spoolError_ = 0;
    TDigest blockHash_{TDigest::Kind::Sha1};    // head and body
    TDigest payloadHash_{TDigest::Kind::Sha1};  // the body, chunks undone
    bool chunked_ = false;
    TChunkedBody chunks_;
};

// "sha1:" and the base-32 digest of data, as WARC digests are written.
QByteArray WarcDigest(const QByteArray& data);
// The same for a digest already taken.
QByteArray WarcDigestOf(const QByteArray& sha1);
