#include "logic/HttpGetThread.h"

#include <QElapsedTimer>

#include "logic/AddressResolution.h"
#include "logic/ChunkedBody.h"
#include "logic/HttpClient.h"
#include "logic/Progress.h"
#include "logic/RetryRule.h"
#include "logic/TargetNames.h"
#include "platform/BodyAlongside.h"
#include "platform/FileOps.h"

namespace {
constexpr int kBytesEveryMs = 100;  // how often the bytes received are told

bool IsSuccess(long status) {
    return status >= 200 && status < 300;
}
}  // namespace

// Takes the answers of one download: the body of a 2xx answer goes to the file (its chunks
// undone when the recorder sees them as sent), with its digest and progress; every answer goes to
// the recorder, if there is one.
class THttpGetThread::Receiver final : public THttpSink {
  public:
    Receiver(THttpGetThread& job, TAtomicFile& file)
        : job_(job), file_(file), recorder_(job.options_.recorder) {
        sinceReport_.start();
    }

    bool Head(const THttpHead& head) override {
        if (recorder_) {
            recorder_->Answer(head.url, head.request, head.head);
        }
        toFile_ = IsSuccess(head.status);
        announced_ = head.announced;
        const qint64 most = job_.options_.maxBytes;
        if (toFile_ && most > 0 && announced_ > most) {
            fault_ = TooLarge();
            return false;
        }
        chunked_ = recorder_ && IsChunked(head.head);
        chunks_ = TChunkedBody();
        // An error page or a redirect is not the movie: read on only for a record, or to keep
        // the connection for the next request.
        return toFile_ || recorder_;
    }

    bool Body(const char* data, size_t length) override {
        if (job_.IsCancelled()) {
            return false;
        }
        if (recorder_) {
            recorder_->Body(data, length);
        }
        if (!toFile_) {
            return true;
        }
        if (chunked_) {
            const QByteArray payload = chunks_.Feed(data, static_cast<qsizetype>(length));
            if (chunks_.Failed()) {
                fault_ = DamagedChunks();
                return false;
            }
            return Store(payload.constData(), static_cast<size_t>(payload.size()));
        }
        return Store(data, length);
    }

    void End(bool complete) override {
        if (recorder_) {
            recorder_->Finish(complete);
        }
    }

    QString Fault() const override { return fault_; }

    // Forgets the body of an earlier try: the next one starts the file again.
    bool Restart() {
        body_.Reset();
        received_ = 0;
        lastPosition_ = -1;
        fault_.clear();
        return file_.Rewind();
    }

    // Whether the body ended where its chunks said it would.
    bool ChunksWhole() const { return !chunked_ || chunks_.Done(); }
    qint64 Received() const { return received_; }
    QByteArray Sha256() { return body_.Result().toHex(); }
    // Whether all of the body reached the file, once its last piece is written.
    bool Written() { return body_.Written(); }
    QString WriteFault() const {
        return file_.Error().isEmpty() ? QString("the file cannot be written") : file_.Error();
    }

    void Report(qint64 done) {
        if (announced_ <= 0 || !job_.options_.positions) {
            return;  // no length, no bar
        }
        const int position = ProgressPosition(done, announced_);
        if (position != lastPosition_) {
            lastPosition_ = position;
            job_.Post([job = &job_, position] { emit job->Progress(position); });
        }
    }

    static QString DamagedChunks() { return "the server sent a damaged chunked body"; }
    QString TooLarge() const {
        return QString("larger than %1 MB, the most this fetch takes")
            .arg(job_.options_.maxBytes >> 20);
    }

  private:
    bool Store(const char* data, size_t length) {
        const qint64 most = job_.options_.maxBytes;
        if (most > 0 && received_ + static_cast<qint64>(length) > most) {
            fault_ = TooLarge();
            return false;
        }
        if (!body_.Add(QByteArrayView(data, static_cast<qsizetype>(length)))) {
            fault_ = WriteFault();
            return false;
        }
        // The position after every whole block this piece completed, as if read block by block.
        const qint64 before = received_;
        received_ += static_cast<qint64>(length);
        for (qint64 block = (before / kBlockSize + 1) * kBlockSize; block <= received_;
             block += kBlockSize) {
            Report(block);
        }
        if (sinceReport_.elapsed() >= kBytesEveryMs) {
            sinceReport_.start();
            job_.Post([job = &job_, bytes = received_, total = announced_] {
                emit job->Received(bytes, total);
            });
        }
        return true;
    }

    THttpGetThread& job_;
    TAtomicFile& file_;
    TResponseRecorder* const recorder_;
    TBodyAlongside body_{TDigest::Kind::Sha256, &file_};
    bool toFile_ = false;   // the body is the movie (a 2xx answer)
    bool chunked_ = false;  // the body arrives as sent, in chunks this undoes
    TChunkedBody chunks_;
    qint64 announced_ = 0;
    qint64 received_ = 0;
    int lastPosition_ = -1;
    QElapsedTimer sinceReport_;
    QString fault_;
};

std::shared_future<std::shared_ptr<TAtomicFile>> OpenFileOn(TJobThread& thread,
                                                            const QString& fileName) {
    auto opened = std::make_shared<std::promise<std::shared_ptr<TAtomicFile>>>();
    thread.Run([opened, fileName] {
        try {
            opened->set_value(std::make_shared<TAtomicFile>(fileName));
        } catch (...) {
            opened->set_exception(std::current_exception());  // the download fails with it
        }
    });
    return opened->get_future().share();
}

THttpGetThread::THttpGetThread(QString url, QString fileName, Options options, QObject* owner)
    : TJob(owner), url_(std::move(url)), fileName_(std::move(fileName)), options_(options) {}

TOutcome THttpGetThread::Execute() {
    result_.file = fileName_;
    auto fail = [this](const QString& reason) {
        result_.reason = reason;
        return TOutcome::Failed(reason);
    };
    if (!IsHttpAddress(url_)) {
        return fail("not an http or https address");  // addresses come from web pages
    }
    const std::shared_ptr<TAtomicFile> opened = options_.openedFile.valid()
                                                    ? options_.openedFile.get()
                                                    : std::make_shared<TAtomicFile>(fileName_);
    TAtomicFile& file = *opened;
    if (!file.IsOpen()) {
        return fail(file.Error());
    }
    THttpClient client;
    SetWaker([&client] { client.Cancel(); });
    TFetchRequest request;
    request.url = url_;
    request.userAgent = options_.userAgent;
    request.referer = options_.referer;
    request.caFile = options_.caFile;
    request.fresh = true;  // always from the server, never from a cache on the way
    request.asSent = options_.recorder != nullptr;
    request.connections = options_.connections;
    Receiver receiver(*this, file);
    TTransferEnd end;
    TTransferResult got;
    for (int retry = 0;; ++retry) {
        end = client.Get(request, receiver);
        got = ClassifyTransfer(end);
        const bool busy =
            got.kind == TTransferResult::Kind::HttpError && IsWorthRetrying(end.status, false);
        if (retry >= options_.retries || IsCancelled() ||
            !(busy || IsWorthRetrying(0, IsCutOff(end)))) {
            break;
        }
        client.Wait(RetryWaitMs(retry + 1, busy ? HeaderValue(end.head, "Retry-After") : "",
                                QDateTime::currentDateTimeUtc()));
        if (IsCancelled() || !receiver.Restart()) {
            break;
        }
    }
    SetWaker(nullptr);
    result_.httpStatus = end.status;
    result_.bytes = receiver.Received();
    if (IsCancelled()) {
        result_.reason = "stopped";
        return TOutcome::Stopped();
    }
    if (got.kind != TTransferResult::Kind::Complete) {
        return fail(got.reason);
    }
    if (!receiver.ChunksWhole()) {
        return fail(Receiver::DamagedChunks());
    }
    if (!receiver.Written()) {
        return fail(receiver.WriteFault());
    }
    receiver.Report(receiver.Received());  // after the last, short block
    result_.sha256 = receiver.Sha256();
    const auto replace =
        options_.keepOthersFiles ? TAtomicFile::Replace::Never : TAtomicFile::Replace::Always;
    bool committed = file.Commit(replace);
    // Another program took the name meanwhile: the next free numbered name.
    const QString numbered = options_.numberFrom.isEmpty() ? fileName_ : options_.numberFrom;
    for (int k = 2; !committed && file.Taken(); ++k) {
        result_.file = NumberedPath(numbered, k);
        committed = result_.file != fileName_ && file.CommitAs(result_.file, replace);
    }
    if (!committed) {
        return fail(file.Error());
    }
    result_.saved = true;
    return TOutcome::Done();
}
