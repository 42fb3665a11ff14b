#include "logic/HttpGetThread.h"

#include <curl/curl.h>

#include <QElapsedTimer>
#include <cstdio>
#include <mutex>

#include "logic/AddressResolution.h"
#include "logic/ChunkedBody.h"
#include "logic/Progress.h"
#include "logic/RetryRule.h"
#include "logic/TargetNames.h"
#include "platform/Digest.h"
#include "platform/FileOps.h"

namespace {
constexpr long kReadSize = 512 * 1024;  // what libcurl hands over at once: sized for speed
constexpr int kMaxRedirects = 20;
constexpr int kPollMs = 1000;       // a cancel wakes the poll at once
constexpr int kBytesEveryMs = 100;  // how often the bytes received are told

struct CurlGlobal {
    CurlGlobal() { curl_global_init(CURL_GLOBAL_DEFAULT); }
    ~CurlGlobal() { curl_global_cleanup(); }
};

void InitCurl() {
    static CurlGlobal curlGlobal;  // before any thread uses libcurl
}

bool IsSuccess(long status) {
    return status >= 200 && status < 300;
}

bool IsRedirect(long status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// "HTTP 404 Not Found" from "HTTP/1.1 404 Not Found".
QString StatusText(const QByteArray& statusLine, long status) {
    const QList<QByteArray> parts = statusLine.trimmed().split(' ');
    QString text = QString("HTTP %1").arg(status);
    if (parts.size() > 2) {
        text += " " + QString::fromLatin1(
                          statusLine.trimmed().mid(parts[0].size() + parts[1].size() + 2));
    }
    return text;
}
}  // namespace

// One GET and its redirects, on the job's thread.
struct THttpGetThread::Transfer {
    explicit Transfer(THttpGetThread* owner) : job(owner) {}
    THttpGetThread* job;
    bool positions = true;  // whether progress positions are told
    CURL* curl = nullptr;
    TAtomicFile* file = nullptr;
    TResponseRecorder* recorder = nullptr;
    TDigest sha{TDigest::Kind::Sha256};
    QByteArray head;         // status line and headers of the answer being read
    QByteArray statusLine;   // of the last answer
    QByteArray requestHead;  // the last request as sent
    long status = 0;
    bool bodyStarted = false;
    bool toFile = false;  // the body is the movie (a 2xx answer)
    bool writeFailed = false;
    bool refused = false;  // the body was not read: the answer was no movie
    qint64 maxBytes = 0;
    bool tooLarge = false;
    bool chunked = false;  // the body arrives as sent, in chunks this undoes
    bool badChunks = false;
    TChunkedBody chunks;
    qint64 announced = 0;  // 0: none announced
    qint64 received = 0;
    int lastPosition = -1;
    QElapsedTimer sinceReport;

    // Forgets the body of an earlier try: the next one starts the file again.
    bool Restart() {
        sha.Reset();
        received = 0;
        lastPosition = -1;
        badChunks = false;
        chunks = TChunkedBody();
        return file->Rewind();
    }

    // Waits ms, or less when the job is cancelled meanwhile.
    void Wait(CURLM* multi, int ms) {
        QElapsedTimer waited;
        waited.start();
        while (!job->IsCancelled() && waited.elapsed() < ms) {
            curl_multi_poll(multi, nullptr, 0, static_cast<int>(ms - waited.elapsed()), nullptr);
        }
    }

    static size_t OnHeader(char* data, size_t size, size_t count, void* self) {
        auto* t = static_cast<Transfer*>(self);
        try {
            return t->ReceiveHeader(data, size * count);
        } catch (...) {
            t->writeFailed = true;  // nothing may cross libcurl
            return 0;
        }
    }

    size_t ReceiveHeader(const char* data, size_t length) {
        const QByteArray line(data, static_cast<qsizetype>(length));
        if (line.startsWith("HTTP/")) {
            head.clear();  // an interim answer (100 Continue) is replaced by the real one
            statusLine = line;
        }
        head += line;
        if ((line == "\r\n" || line == "\n") && recorder) {
            char* url = nullptr;
            curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &url);
            recorder->Answer(QString::fromUtf8(url), requestHead, head);
        }
        return length;
    }

    static int OnDebug(CURL*, curl_infotype type, char* data, size_t size, void* self) {
        if (type == CURLINFO_HEADER_OUT) {
            static_cast<Transfer*>(self)->requestHead =
                QByteArray(data, static_cast<qsizetype>(size));
        }
        return 0;
    }

    static size_t OnBody(char* data, size_t size, size_t count, void* self) {
        auto* t = static_cast<Transfer*>(self);
        const size_t length = size * count;
        try {
            return t->Receive(data, length) ? length : 0;
        } catch (...) {
            t->writeFailed = true;  // nothing may cross libcurl
            return 0;
        }
    }

    bool Receive(const char* data, size_t length) {
        if (job->IsCancelled()) {
            return false;
        }
        if (!bodyStarted) {
            bodyStarted = true;
            curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
            toFile = IsSuccess(status);
            curl_off_t length = -1;
            curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
            announced = length > 0 ? length : 0;
            if (IsSuccess(status) && maxBytes > 0 && announced > maxBytes) {
                tooLarge = true;
                return false;
            }
            // A recorder sees the body as sent: chunks are undone here instead.
            chunked = recorder && IsChunked(head);
            chunks = TChunkedBody();
        }
        if (recorder) {
            recorder->Body(data, length);
        }
        if (!toFile) {
            // An error page or a redirect is not the movie: read on only for a record, or to
            // keep the connection for the next request.
            refused = !recorder && !IsRedirect(status);
            return !refused;
        }
        if (chunked) {
            const QByteArray payload = chunks.Feed(data, static_cast<qsizetype>(length));
            badChunks = chunks.Failed();
            return !badChunks && Store(payload.constData(), static_cast<size_t>(payload.size()));
        }
        return Store(data, length);
    }

    bool Store(const char* data, size_t length) {
        if (maxBytes > 0 && received + static_cast<qint64>(length) > maxBytes) {
            tooLarge = true;
            return false;
        }
        if (!file->Write(data, length)) {
            writeFailed = true;
            return false;
        }
        sha.Add(QByteArrayView(data, static_cast<qsizetype>(length)));
        // The position after every whole block this piece completed, as if read block by block.
        const qint64 before = received;
        received += static_cast<qint64>(length);
        for (qint64 block = (before / kBlockSize + 1) * kBlockSize; block <= received;
             block += kBlockSize) {
            Report(block);
        }
        if (sinceReport.elapsed() >= kBytesEveryMs) {
            sinceReport.start();
            job->Post([job = job, bytes = received, total = announced] {
                emit job->Received(bytes, total);
            });
        }
        return true;
    }

    void Report(qint64 done) {
        if (announced <= 0 || !positions) {
            return;  // no length, no bar
        }
        const int position = ProgressPosition(done, announced);
        if (position != lastPosition) {
            lastPosition = position;
            job->Post([job = job, position] { emit job->Progress(position); });
        }
    }

    // Starts one request on the easy handle and waits for it in a multi handle the job can
    // wake; libcurl's result.
    CURLcode Perform(CURLM* multi) {
        head.clear();
        statusLine.clear();
        bodyStarted = false;
        refused = false;
        toFile = false;
        status = 0;
        announced = 0;
        curl_multi_add_handle(multi, curl);
        int running = 1;
        CURLcode result = CURLE_OK;
        while (running > 0 && !job->IsCancelled()) {
            if (curl_multi_perform(multi, &running) != CURLM_OK) {
                result = CURLE_FAILED_INIT;
                break;
            }
            if (running > 0) {
                curl_multi_poll(multi, nullptr, 0, kPollMs, nullptr);
            }
        }
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
            if (message->msg == CURLMSG_DONE) {
                result = message->data.result;
            }
        }
        curl_multi_remove_handle(multi, curl);
        if (!bodyStarted) {
            curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
        }
        return refused && result == CURLE_WRITE_ERROR ? CURLE_OK : result;
    }
};

// One try: the request and its redirects, each followed here so that every answer is seen whole
// and only http and https are ever asked for.
int THttpGetThread::Fetch(Transfer& t, void* multi, char* error) {
    QString url = url_;
    CURLcode code = CURLE_OK;
    for (int hop = 0;; ++hop) {
        const QByteArray address = url.toUtf8();
        curl_easy_setopt(t.curl, CURLOPT_URL, address.constData());
        error[0] = '\0';
        code = t.Perform(static_cast<CURLM*>(multi));
        char* next = nullptr;
        if (code != CURLE_OK || !IsRedirect(t.status) ||
            curl_easy_getinfo(t.curl, CURLINFO_REDIRECT_URL, &next) != CURLE_OK || !next) {
            return code;
        }
        if (t.recorder) {
            t.recorder->Finish(true);
        }
        url = QString::fromUtf8(next);
        if (!IsHttpAddress(url)) {
            snprintf(error, CURL_ERROR_SIZE, "redirected to an address that is not http or https");
            return CURLE_UNSUPPORTED_PROTOCOL;
        }
        if (hop == kMaxRedirects) {
            return CURLE_TOO_MANY_REDIRECTS;
        }
    }
}

THttpGetThread::THttpGetThread(QString url, QString fileName, Options options, QObject* owner)
    : TJob(owner), url_(std::move(url)), fileName_(std::move(fileName)), options_(options) {
    InitCurl();
}

THttpGetThread::~THttpGetThread() {
    Stop();
}

TOutcome THttpGetThread::Execute() {
    result_.file = fileName_;
    auto fail = [this](const QString& reason) {
        result_.reason = reason;
        return TOutcome::Failed(reason);
    };
    if (!IsHttpAddress(url_)) {
        return fail("not an http or https address");  // addresses come from web pages
    }
    TAtomicFile file(fileName_);
    if (!file.IsOpen()) {
        return fail(file.Error());
    }
    // A chain's downloads share one multi handle, and with it the connections it keeps open.
    CURL* curl = curl_easy_init();
    CURLM* ownMulti = options_.connections ? nullptr : curl_multi_init();
    CURLM* multi =
        options_.connections ? static_cast<CURLM*>(options_.connections->Handle()) : ownMulti;
    if (!curl || !multi) {
        curl_easy_cleanup(curl);
        curl_multi_cleanup(ownMulti);
        return fail("the network library cannot start");
    }
    SetWaker([multi] { curl_multi_wakeup(multi); });

    Transfer t(this);
    t.curl = curl;
    t.file = &file;
    t.recorder = options_.recorder;
    t.sinceReport.start();
    t.positions = options_.positions;
    t.maxBytes = options_.maxBytes;
    char error[CURL_ERROR_SIZE] = {};
    const QByteArray caFile = options_.caFile.toUtf8();
    curl_slist* headers = nullptr;
    headers = curl_slist_append(headers, "Accept: */*");
    // Always from the server, never from a cache on the way.
    headers = curl_slist_append(headers, "Cache-Control: no-cache");
    headers = curl_slist_append(headers, "Pragma: no-cache");
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
    const QByteArray userAgent = options_.userAgent.toUtf8();
    curl_easy_setopt(curl, CURLOPT_USERAGENT, userAgent.constData());
    const QByteArray referer = options_.referer.toUtf8();
    if (!referer.isEmpty()) {
        curl_easy_setopt(curl, CURLOPT_REFERER, referer.constData());
    }
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 30L);
    // A connection that stalls for a minute is given up rather than left hanging.
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, 60L);
    curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, kReadSize);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &Transfer::OnHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &t);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Transfer::OnBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &t);
    if (t.recorder) {
        curl_easy_setopt(curl, CURLOPT_HTTP_TRANSFER_DECODING, 0L);
        curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, &Transfer::OnDebug);
        curl_easy_setopt(curl, CURLOPT_DEBUGDATA, &t);
        curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
    }
    if (!caFile.isEmpty()) {
        curl_easy_setopt(curl, CURLOPT_CAINFO, caFile.constData());
    }

    CURLcode code = CURLE_OK;
    for (int retry = 0;; ++retry) {
        code = static_cast<CURLcode>(Fetch(t, multi, error));
        const bool cut = code == CURLE_RECV_ERROR || code == CURLE_SEND_ERROR ||
                         code == CURLE_GOT_NOTHING || code == CURLE_PARTIAL_FILE;
        const bool busy = code == CURLE_OK && IsWorthRetrying(t.status, false);
        if (retry >= options_.retries || IsCancelled() || !(busy || IsWorthRetrying(0, cut))) {
            break;
        }
        if (t.recorder) {
            t.recorder->Finish(code == CURLE_OK);  // the busy answer is kept, a cut one is not
        }
        t.Wait(multi, RetryWaitMs(retry + 1, busy ? HeaderValue(t.head, "Retry-After") : "",
                                  QDateTime::currentDateTimeUtc()));
        if (IsCancelled() || !t.Restart()) {
            break;
        }
    }
    SetWaker(nullptr);
    const bool cancelled = IsCancelled();
    if (t.recorder) {
        t.recorder->Finish(code == CURLE_OK && !cancelled);
    }
    result_.httpStatus = t.status;
    result_.bytes = t.received;
    const QString curlError =
        error[0] ? QString::fromLocal8Bit(error) : QString::fromLatin1(curl_easy_strerror(code));
    curl_easy_cleanup(curl);
    curl_multi_cleanup(ownMulti);
    curl_slist_free_all(headers);

    if (cancelled) {
        result_.reason = "stopped";
        return TOutcome::Stopped();
    }
    if (t.tooLarge) {
        return fail(
            QString("larger than %1 MB, the most this fetch takes").arg(options_.maxBytes >> 20));
    }
    if (t.writeFailed) {
        return fail(file.Error().isEmpty() ? curlError : file.Error());
    }
    if (t.badChunks) {
        return fail("the server sent a damaged chunked body");
    }
    if (code != CURLE_OK) {
        return fail(curlError);
    }
    if (!IsSuccess(t.status)) {
        return fail(StatusText(t.statusLine, t.status));
    }
    if (t.chunked && !t.chunks.Done()) {
        return fail("the server sent a damaged chunked body");
    }
    if (t.announced > 0 && t.received < t.announced) {
        return fail(QString("the server sent %1 of %2 bytes").arg(t.received).arg(t.announced));
    }
    t.Report(t.received);  // after the last, short block
    result_.sha256 = t.sha.Result().toHex();
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

TConnectionPool::TConnectionPool() {
    InitCurl();
    multi_ = curl_multi_init();
}

TConnectionPool::~TConnectionPool() {
    curl_multi_cleanup(static_cast<CURLM*>(multi_));
}
