#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "logic/EngineExchange.h"
#include "logic/HttpGetThread.h"
#include "logic/WaczPackage.h"
#include "platform/FileOps.h"
#include "platform/ZipWriter.h"

// Writes what the program sends and receives into a web archive (WARC 1.1), as archives keep it:
// a warcinfo record first, then for every answer, error pages and redirects included, a response
// and a request record holding the messages as they went over the wire. Records go at the end of
// an existing archive, each gzip-compressed on its own when the file name ends in ".gz", and
// each whole or not at all (what a failed write left is cut off, so the archive always ends on a
// whole record). Transfers running at once each record through a stream of their own; the
// records of one answer are never split by another's.
//
// A name ending in ".wacz" makes a WACZ package instead (WACZ 1.1.1: the records in
// archive/data.warc.gz, their index, the pages, and datapackage.json with every file's SHA-256),
// written under a temporary name and put in place whole by Close(); an existing package is never
// replaced.
class TWarcWriter final : public TResponseRecorder {
  public:
    explicit TWarcWriter(const QString& path);
    // An archive in an unnamed file in folder, kept until SaveAs copies it where the user says.
    static std::unique_ptr<TWarcWriter> Spool(const QString& folder, const QString& software);
    ~TWarcWriter() override;
    TWarcWriter(const TWarcWriter&) = delete;
    TWarcWriter& operator=(const TWarcWriter&) = delete;

    // Opens the archive and writes its warcinfo record.
    TOutcome Open(const QString& software);
    // Completes a package (nothing to do for a plain archive).
    TOutcome Close();
    // A page the archive was made for, listed in a package.
    void AddPage(const QString& url, const QString& title);
    // Writes what a spool holds as target, put in place whole: a WACZ package when its name ends
    // in ".wacz", else the archive's gzip-compressed records.
    TOutcome SaveAs(const QString& target);
    // The first failure to write, if any; from any thread.
    QString Error() const;
    const QString& Path() const { return path_; }

    // A recorder for one more transfer at a time, beside the others. A body is spooled to an
    // unnamed file beside the archive as it arrives, so memory does not grow with its size; its
    // records are written once it has ended. A fetch that got no answer, was cut off or was
    // stopped writes none.
    std::unique_ptr<TResponseRecorder> Stream();
    // The writer's own stream, for one transfer at a time.
    void Answer(const QString& url, const QByteArray& request, const QByteArray& head) override;
    void Body(const char* data, size_t size) override;
    void Finish(bool complete) override;

    // Writes an answer received whole elsewhere (by the browser engine), with its request.
    bool Record(const TEngineExchange& exchange);
    // The same with the body in a file.
    bool RecordFile(const QString& url, const QByteArray& request, const QByteArray& head,
                    const QString& bodyFile);
    // A metadata record about url: text, as a "note" field.
    bool Note(const QString& url, const QByteArray& text);

  private:
    TWarcWriter(const QString& path, bool spool);
    void WriteInfo();
    class RecordOut;
    class TStream;
    using BlockWriter = std::function<bool(RecordOut&)>;
    bool WriteRecord(RecordOut& out, const QByteArray& type, const QByteArray& id,
                     const QByteArray& fields, const QByteArray& contentType, qint64 blockSize,
                     const QByteArray& blockDigest, const BlockWriter& block);
    bool WriteExchange(const QString& url, const QByteArray& request, const QByteArray& head,
                       qint64 bodySize, const QByteArray& blockDigest,
                       const QByteArray& payloadDigest, const BlockWriter& body);
    bool CopyFile(int fd, RecordOut& out);
    bool Writable() const { return fd_ >= 0 && Error().isEmpty(); }
    void Fail(const QString& reason);
    TOutcome OpenPackage();
    void Index(const QString& url, const QByteArray& head, const QByteArray& payloadDigest,
               qint64 start, qint64 end);

    const QString path_;
    const bool package_;
    const bool indexing_;  // a package's, or a spool's that may become one
    const bool gzip_;
    int fd_ = -1;
    // A package: its file, the archive's place in it, what it indexes and lists.
    std::unique_ptr<TAtomicFile> packageFile_;
    std::unique_ptr<TZipWriter> zip_;
    qint64 dataStart_ = 0;
    std::vector<TIndexedRecord> indexed_;
    std::vector<TArchivedPage> pages_;
    QString software_;
    std::mutex writeMutex_;  // one record at a time reaches the file
    mutable std::mutex errorMutex_;
    QString error_;
    std::unique_ptr<TResponseRecorder> own_;
};

// "sha1:" and the base-32 digest of data, as WARC digests are written.
QByteArray WarcDigest(const QByteArray& data);
// The same for a digest already taken.
QByteArray WarcDigestOf(const QByteArray& sha1);
