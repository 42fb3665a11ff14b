#include "logic/WarcWriter.h"

#include "logic/ChunkedBody.h"
#include "logic/RetryRule.h"
#include "platform/Digest.h"

#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <cerrno>
#include <vector>

#include "platform/FileOps.h"
#include "platform/Outcome.h"

namespace {
constexpr size_t kCopyBuffer = 1024 * 1024;

QByteArray NewRecordId() {
    return "<urn:uuid:" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces) + ">";
}

QByteArray Now() {
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toLatin1();
}

QByteArray Base32(const QByteArray& data) {
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567";
    QByteArray out;
    quint64 buffer = 0;
    int bits = 0;
    for (const char byte : data) {
        buffer = (buffer << 8) | static_cast<quint8>(byte);
        bits += 8;
        while (bits >= 5) {
            out += alphabet[(buffer >> (bits - 5)) & 31];
            bits -= 5;
        }
    }
    if (bits > 0) {
        out += alphabet[(buffer << (5 - bits)) & 31];
    }
    while (out.size() % 8 != 0) {
        out += '=';
    }
    return out;
}

}  // namespace

QByteArray WarcDigestOf(const QByteArray& sha1) {
    return "sha1:" + Base32(sha1);
}

QByteArray WarcDigest(const QByteArray& data) {
    return WarcDigestOf(TDigest::Of(TDigest::Kind::Sha1, data));
}

// Where one record goes: straight into the archive, or through a gzip member of its own.
class TWarcWriter::RecordOut {
  public:
    RecordOut(int fd, bool gzip) : fd_(fd), gzip_(gzip) {
        if (gzip_) {
            deflateInit2(&z_, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
            buffer_.resize(256 * 1024);
        }
    }
    ~RecordOut() {
        if (gzip_) {
            deflateEnd(&z_);
        }
    }
    RecordOut(const RecordOut&) = delete;
    RecordOut& operator=(const RecordOut&) = delete;

    bool Write(const char* data, size_t size) {
        if (!gzip_) {
            return WriteAll(fd_, data, size);
        }
        z_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
        z_.avail_in = static_cast<uInt>(size);
        return Deflate(Z_NO_FLUSH);
    }
    bool Write(const QByteArray& data) { return Write(data.constData(), size_t(data.size())); }
    // Ends the record (its gzip member).
    bool End() { return !gzip_ || Deflate(Z_FINISH); }

  private:
    bool Deflate(int flush) {
        for (;;) {
            z_.next_out = reinterpret_cast<Bytef*>(buffer_.data());
            z_.avail_out = static_cast<uInt>(buffer_.size());
            const int result = deflate(&z_, flush);
            const size_t produced = buffer_.size() - z_.avail_out;
            if (result == Z_STREAM_ERROR || !WriteAll(fd_, buffer_.data(), produced)) {
                return false;
            }
            if (flush == Z_FINISH ? result == Z_STREAM_END : z_.avail_out != 0) {
                return true;
            }
        }
    }

    const int fd_;
    const bool gzip_;
    z_stream z_{};
    std::vector<char> buffer_;
};

// One transfer's answers, each spooled until it has ended, then written whole.
class TWarcWriter::TStream final : public TResponseRecorder {
  public:
    explicit TStream(TWarcWriter& archive) : archive_(archive) {}
    ~TStream() override { DropSpool(); }

    void Answer(const QString& url, const QByteArray& request, const QByteArray& head) override {
        Finish(true);  // an answer without a body, a redirect say, has ended
        if (!archive_.Writable()) {
            return;
        }
        answering_ = true;
        url_ = url;
        request_ = request;
        head_ = head;
        bodySize_ = 0;
        spoolError_ = 0;
        blockHash_.Reset();
        blockHash_.Add(head);
        payloadHash_.Reset();
        chunked_ = IsChunked(head);
        chunks_ = TChunkedBody();
    }

    void Body(const char* data, size_t size) override {
        if (!answering_ || spoolError_ != 0) {
            return;
        }
        if (spool_ < 0 && !OpenSpool()) {
            spoolError_ = errno;
            return;
        }
        if (!WriteAll(spool_, data, size)) {
            spoolError_ = errno;
            return;
        }
        bodySize_ += static_cast<qint64>(size);
        const QByteArrayView piece(data, static_cast<qsizetype>(size));
        blockHash_.Add(piece);
        payloadHash_.Add(chunked_ ? chunks_.Feed(data, static_cast<qsizetype>(size)) : piece);
    }

    void Finish(bool complete) override {
        if (!answering_) {
            return;
        }
        answering_ = false;
        if (!complete) {
            DropSpool();  // cut off: nothing of it is kept
            return;
        }
        if (spoolError_ != 0) {
            DropSpool();
            archive_.Fail(ErrnoText(spoolError_));
            return;
        }
        const bool written = archive_.WriteExchange(
            url_, request_, head_, bodySize_, WarcDigestOf(blockHash_.Result()),
            WarcDigestOf(payloadHash_.Result()),
            [this](RecordOut& out) { return spool_ < 0 || archive_.CopyFile(spool_, out); });
        const int error = errno;
        DropSpool();
        if (!written) {
            archive_.Fail(ErrnoText(error));
        }
    }

  private:
    bool OpenSpool() {
        // Beside the archive, where its bytes will go anyway; unnamed, so nothing is left.
        spool_ = OpenUnnamedFile(QFileInfo(archive_.path_).absolutePath());
        return spool_ >= 0;
    }
    void DropSpool() {
        if (spool_ >= 0) {
            ::close(spool_);
            spool_ = -1;
        }
    }

    TWarcWriter& archive_;
    bool answering_ = false;
    QString url_;
    QByteArray request_;
    QByteArray head_;
    int spool_ = -1;  // the body, in a file with no name
    qint64 bodySize_ = 0;
    int spoolError_ = 0;
    TDigest blockHash_{TDigest::Kind::Sha1};    // head and body
    TDigest payloadHash_{TDigest::Kind::Sha1};  // the body, chunks undone
    bool chunked_ = false;
    TChunkedBody chunks_;
};

namespace {
constexpr char kPackagedWarc[] = "data.warc.gz";
}

TWarcWriter::TWarcWriter(const QString& path) : TWarcWriter(path, false) {}

TWarcWriter::TWarcWriter(const QString& path, bool spool)
    : path_(path),
      package_(path.endsWith(".wacz", Qt::CaseInsensitive)),
      indexing_(package_ || spool),
      gzip_(spool || package_ || path.endsWith(".gz", Qt::CaseInsensitive)),
      own_(std::make_unique<TStream>(*this)) {}

TWarcWriter::~TWarcWriter() {
    own_.reset();
    if (fd_ >= 0 && !packageFile_) {
        ::close(fd_);  // a package's file closes itself, put in place or not
    }
}

QString TWarcWriter::Error() const {
    std::lock_guard<std::mutex> lock(errorMutex_);
    return error_;
}

void TWarcWriter::Fail(const QString& reason) {
    std::lock_guard<std::mutex> lock(errorMutex_);
    if (error_.isEmpty()) {
        error_ = "cannot write " + path_ + ": " + reason;
    }
}

TOutcome TWarcWriter::OpenPackage() {
    if (QFileInfo::exists(path_)) {
        return TOutcome::Failed("cannot write " + path_ +
                                ": it exists, and a package is only ever written whole");
    }
    packageFile_ = std::make_unique<TAtomicFile>(path_);
    if (!packageFile_->IsOpen()) {
        return TOutcome::Failed(packageFile_->Error());
    }
    fd_ = packageFile_->Handle();
    zip_ = std::make_unique<TZipWriter>(fd_);
    if (!zip_->BeginEntry(QByteArray("archive/") + kPackagedWarc)) {
        return TOutcome::Failed("cannot write " + path_ + ": " + ErrnoText(errno));
    }
    dataStart_ = ::lseek(fd_, 0, SEEK_END);
    return TOutcome::Done();
}

TOutcome TWarcWriter::Open(const QString& software) {
    software_ = software;
    if (package_) {
        const TOutcome opened = OpenPackage();
        if (!opened) {
            fd_ = -1;
            return opened;
        }
    } else {
        fd_ = ::open(QFile::encodeName(path_).constData(),
                     O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    }
    if (fd_ < 0) {
        return TOutcome::Failed("cannot write " + path_ + ": " + ErrnoText(errno));
    }
    WriteInfo();
    const QString error = Error();
    return error.isEmpty() ? TOutcome::Done() : TOutcome::Failed(error);
}

void TWarcWriter::WriteInfo() {
    const QByteArray fields = "software: " + software_.toUtf8() +
                              "\r\nformat: WARC File Format 1.1\r\n"
                              "conformsTo: https://iipc.github.io/warc-specifications/"
                              "specifications/warc-format/warc-1.1/\r\n";
    const qint64 start = ::lseek(fd_, 0, SEEK_END);
    RecordOut out(fd_, gzip_);
    if (!WriteRecord(
            out, "warcinfo", NewRecordId(),
            "WARC-Filename: " +
                (indexing_ ? QByteArray(kPackagedWarc) : QFileInfo(path_).fileName().toUtf8()) +
                "\r\n",
            "application/warc-fields", fields.size(), WarcDigest(fields),
            [&](RecordOut& o) { return o.Write(fields); })) {
        Fail(ErrnoText(errno));
        [[maybe_unused]] const int cut = ::ftruncate(fd_, start);
    }
}

std::unique_ptr<TResponseRecorder> TWarcWriter::Stream() {
    return std::make_unique<TStream>(*this);
}

void TWarcWriter::Answer(const QString& url, const QByteArray& request, const QByteArray& head) {
    own_->Answer(url, request, head);
}

void TWarcWriter::Body(const char* data, size_t size) {
    own_->Body(data, size);
}

void TWarcWriter::Finish(bool complete) {
    own_->Finish(complete);
}

bool TWarcWriter::Record(const TEngineExchange& exchange) {
    if (!Writable()) {
        return false;
    }
    TDigest block(TDigest::Kind::Sha1);
    block.Add(exchange.head);
    block.Add(exchange.body);
    const bool written =
        WriteExchange(exchange.url, exchange.request, exchange.head, exchange.body.size(),
                      WarcDigestOf(block.Result()), WarcDigest(exchange.body),
                      [&exchange](RecordOut& out) { return out.Write(exchange.body); });
    if (!written) {
        Fail(ErrnoText(errno));
    }
    return written;
}

bool TWarcWriter::RecordFile(const QString& url, const QByteArray& request, const QByteArray& head,
                             const QString& bodyFile) {
    if (!Writable()) {
        return false;
    }
    const int fd = ::open(QFile::encodeName(bodyFile).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;  // the copy is gone: there is nothing to archive
    }
    TDigest block(TDigest::Kind::Sha1);
    TDigest payload(TDigest::Kind::Sha1);
    block.Add(head);
    std::vector<char> buffer(kCopyBuffer);
    qint64 size = 0;
    for (ssize_t n; (n = ::read(fd, buffer.data(), buffer.size())) != 0;) {
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            ::close(fd);
            return false;
        }
        const QByteArrayView piece(buffer.data(), n);
        block.Add(piece);
        payload.Add(piece);
        size += n;
    }
    const bool written = WriteExchange(url, request, head, size, WarcDigestOf(block.Result()),
                                       WarcDigestOf(payload.Result()),
                                       [&](RecordOut& out) { return CopyFile(fd, out); });
    const int error = errno;
    ::close(fd);
    if (!written) {
        Fail(ErrnoText(error));
    }
    return written;
}

bool TWarcWriter::Note(const QString& url, const QByteArray& text) {
    if (!Writable()) {
        return false;
    }
    const QByteArray fields = "note: " + text + "\r\n";
    std::lock_guard<std::mutex> lock(writeMutex_);
    const qint64 start = ::lseek(fd_, 0, SEEK_END);
    RecordOut out(fd_, gzip_);
    if (!WriteRecord(out, "metadata", NewRecordId(), "WARC-Target-URI: " + url.toUtf8() + "\r\n",
                     "application/warc-fields", fields.size(), WarcDigest(fields),
                     [&](RecordOut& o) { return o.Write(fields); })) {
        Fail(ErrnoText(errno));
        [[maybe_unused]] const int cut = ::ftruncate(fd_, start);
        return false;
    }
    return true;
}

bool TWarcWriter::WriteExchange(const QString& url, const QByteArray& request,
                                const QByteArray& head, qint64 bodySize,
                                const QByteArray& blockDigest, const QByteArray& payloadDigest,
                                const BlockWriter& body) {
    std::lock_guard<std::mutex> lock(writeMutex_);
    const QByteArray responseId = NewRecordId();
    const QByteArray target = "WARC-Target-URI: " + url.toUtf8() + "\r\n";
    const qint64 start = ::lseek(fd_, 0, SEEK_END);
    bool written = false;
    {
        RecordOut response(fd_, gzip_);
        written =
            WriteRecord(response, "response", responseId,
                        target + "WARC-Payload-Digest: " + payloadDigest + "\r\n",
                        "application/http;msgtype=response", head.size() + bodySize, blockDigest,
                        [&](RecordOut& out) { return out.Write(head) && body(out); });
    }
    if (written && indexing_) {
        Index(url, head, payloadDigest, start, ::lseek(fd_, 0, SEEK_END));
    }
    if (written) {
        RecordOut out(fd_, gzip_);
        written = WriteRecord(out, "request", NewRecordId(),
                              target + "WARC-Concurrent-To: " + responseId + "\r\n",
                              "application/http;msgtype=request", request.size(),
                              WarcDigest(request), [&](RecordOut& o) { return o.Write(request); });
    }
    if (!written) {
        const int error = errno;
        // The archive ends on the last whole record.
        [[maybe_unused]] const int cut = ::ftruncate(fd_, start);
        if (indexing_ && !indexed_.empty() && indexed_.back().offset == start - dataStart_) {
            indexed_.pop_back();
        }
        errno = error;
    }
    return written;
}

void TWarcWriter::Index(const QString& url, const QByteArray& head, const QByteArray& payloadDigest,
                        qint64 start, qint64 end) {
    TIndexedRecord record;
    record.url = url;
    record.date = QDateTime::currentDateTimeUtc();
    record.mime =
        QString::fromLatin1(HeaderValue(head, "Content-Type").split(';').first().trimmed());
    record.status = head.mid(head.indexOf(' ') + 1, 3).toInt();
    record.digest = payloadDigest;
    record.offset = start - dataStart_;
    record.length = end - start;
    indexed_.push_back(record);
}

void TWarcWriter::AddPage(const QString& url, const QString& title) {
    std::lock_guard<std::mutex> lock(writeMutex_);
    pages_.push_back({url, title, QDateTime::currentDateTimeUtc()});
}

namespace {
// Completes a package whose archive entry is written: its index, pages and datapackage.json.
bool FinishPackage(TZipWriter& zip, qint64 warcBytes, const std::vector<TIndexedRecord>& indexed,
                   const std::vector<TArchivedPage>& pages, const QString& software) {
    std::vector<TPackagedFile> files;
    TDigest warcHash(TDigest::Kind::Sha256);
    bool written = zip.EndEntry([&](QByteArrayView piece) { warcHash.Add(piece); });
    files.push_back({QString("archive/") + kPackagedWarc, warcHash.Result().toHex(), warcBytes});
    const std::pair<QString, QByteArray> parts[] = {
        {"indexes/index.cdxj", CdxjIndex(indexed, kPackagedWarc)},
        {"pages/pages.jsonl", PagesJsonl(pages)},
    };
    for (const auto& [name, bytes] : parts) {
        written = written && zip.AddEntry(name.toUtf8(), bytes);
        files.push_back({name, TDigest::Of(TDigest::Kind::Sha256, bytes).toHex(), bytes.size()});
    }
    const QString title = pages.empty() ? QString() : pages.front().title;
    return written &&
           zip.AddEntry("datapackage.json",
                        DataPackageJson(files, software, QDateTime::currentDateTimeUtc(), title)) &&
           zip.Finish();
}
}  // namespace

TOutcome TWarcWriter::Close() {
    if (!package_ || !zip_) {
        return Error().isEmpty() ? TOutcome::Done() : TOutcome::Failed(Error());
    }
    std::lock_guard<std::mutex> lock(writeMutex_);
    if (!Error().isEmpty()) {
        return TOutcome::Failed(Error());
    }
    if (!FinishPackage(*zip_, ::lseek(fd_, 0, SEEK_END) - dataStart_, indexed_, pages_,
                       software_)) {
        Fail(ErrnoText(errno));
        return TOutcome::Failed(Error());
    }
    zip_.reset();
    fd_ = -1;
    if (!packageFile_->Commit(TAtomicFile::Replace::Never)) {
        return TOutcome::Failed(packageFile_->Taken() ? "cannot write " + path_ +
                                                            ": another file took its name meanwhile"
                                                      : packageFile_->Error());
    }
    return TOutcome::Done();
}

std::unique_ptr<TWarcWriter> TWarcWriter::Spool(const QString& folder, const QString& software) {
    std::unique_ptr<TWarcWriter> spool(new TWarcWriter(folder + "/.web-archive-spool", true));
    QDir().mkpath(folder);
    spool->fd_ = OpenUnnamedFile(folder);
    if (spool->fd_ < 0) {
        spool->Fail(ErrnoText(errno));
        return spool;
    }
    spool->software_ = software;
    spool->WriteInfo();
    return spool;
}

TOutcome TWarcWriter::SaveAs(const QString& target) {
    // What is recorded by now; records added meanwhile go after it and are not copied.
    qint64 size = 0;
    std::vector<TIndexedRecord> indexed;
    std::vector<TArchivedPage> pages;
    {
        std::lock_guard<std::mutex> lock(writeMutex_);
        if (!Writable()) {
            return TOutcome::Failed(Error().isEmpty() ? "nothing was recorded" : Error());
        }
        size = ::lseek(fd_, 0, SEEK_END);
        indexed = indexed_;
        pages = pages_;
    }
    TAtomicFile file(target);
    if (!file.IsOpen()) {
        return TOutcome::Failed(file.Error());
    }
    const bool package = target.endsWith(".wacz", Qt::CaseInsensitive);
    TZipWriter zip(file.Handle());
    std::vector<char> buffer(kCopyBuffer);
    bool written = !package || zip.BeginEntry(QByteArray("archive/") + kPackagedWarc);
    for (qint64 at = 0; written && at < size;) {
        const ssize_t n = ::pread(fd_, buffer.data(),
                                  size_t(std::min<qint64>(qint64(buffer.size()), size - at)), at);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        written = n > 0 && file.Write(buffer.data(), size_t(n));
        at += n;
    }
    written = written && (!package || FinishPackage(zip, size, indexed, pages, software_));
    if (!written) {
        return TOutcome::Failed(file.Error().isEmpty()
                                    ? "cannot write " + target + ": " + ErrnoText(errno)
                                    : file.Error());
    }
    return file.Commit() ? TOutcome::Done() : TOutcome::Failed(file.Error());
}

bool TWarcWriter::CopyFile(int fd, RecordOut& out) {
    std::vector<char> buffer(kCopyBuffer);
    for (off_t at = 0;;) {
        const ssize_t n = ::pread(fd, buffer.data(), buffer.size(), at);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return n == 0;
        }
        if (!out.Write(buffer.data(), static_cast<size_t>(n))) {
            return false;
        }
        at += n;
    }
}

bool TWarcWriter::WriteRecord(RecordOut& out, const QByteArray& type, const QByteArray& id,
                              const QByteArray& fields, const QByteArray& contentType,
                              qint64 blockSize, const QByteArray& blockDigest,
                              const BlockWriter& block) {
    const QByteArray header =
        "WARC/1.1\r\nWARC-Type: " + type + "\r\nWARC-Record-ID: " + id + "\r\nWARC-Date: " + Now() +
        "\r\n" + fields + "Content-Type: " + contentType + "\r\nWARC-Block-Digest: " + blockDigest +
        "\r\nContent-Length: " + QByteArray::number(blockSize) + "\r\n\r\n";
    return out.Write(header) && block(out) && out.Write("\r\n\r\n", 4) && out.End();
}
