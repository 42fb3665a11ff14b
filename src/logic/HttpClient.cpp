#include "logic/HttpClient.h"

#include <curl/curl.h>

#include <QElapsedTimer>
#include <exception>
#include <mutex>

#include "logic/AddressGuard.h"
#include "logic/AddressResolution.h"
#include "logic/CurlOnDemand.h"

namespace {
constexpr long kReadSize = 512 * 1024;  // what libcurl hands over at once: sized for speed
constexpr int kPollMs = 1000;           // a cancel wakes the poll at once
constexpr long kStallSeconds = 60;      // nothing received for this long ends a transfer

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

// 404 from "HTTP/1.1 404 Not Found"; 0 when the line is no status line.
long StatusOf(const QByteArray& statusLine) {
    const QList<QByteArray> parts = statusLine.simplified().split(' ');
    return parts.size() > 1 && parts[0].startsWith("HTTP/") ? parts[1].toLong() : 0;
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

TTransferResult ClassifyTransfer(const TTransferEnd& end) {
    using Kind = TTransferResult::Kind;
    if (end.cancelled) {
        return {Kind::Stopped, "stopped"};
    }
    if (!end.fault.isEmpty()) {
        return {Kind::Failed, end.fault};
    }
    if (!end.blocked.isEmpty()) {
        return {Kind::Failed, end.blocked};
    }
    if (end.refused) {
        return {Kind::HttpError, StatusText(end.statusLine, end.status)};
    }
    if (end.code == CURLE_OPERATION_TIMEDOUT && end.timeoutMs > 0) {
        return {Kind::Failed, QString("took more than %1 s").arg(end.timeoutMs / 1000)};
    }
    if (end.code != CURLE_OK) {
        return {Kind::Failed, end.error};
    }
    if (!IsSuccess(end.status)) {
        return {Kind::HttpError, StatusText(end.statusLine, end.status)};
    }
    if (end.announced > 0 && end.received < end.announced) {
        return {Kind::Failed,
                QString("the server sent %1 of %2 bytes").arg(end.received).arg(end.announced)};
    }
    return {Kind::Complete, QString()};
}

bool IsCutOff(const TTransferEnd& end) {
    return end.code == CURLE_RECV_ERROR || end.code == CURLE_SEND_ERROR ||
           end.code == CURLE_GOT_NOTHING || end.code == CURLE_PARTIAL_FILE;
}

struct THttpClient::Handles {
    Handles() : easy(curl_easy_init()) {}
    ~Handles() {
        curl_easy_cleanup(easy);
        if (own) {
            curl_multi_cleanup(own);
        }
    }
    // The multi handle of this client's own, made when first needed (a transfer in a pool never
    // needs it); only the thread that runs the transfers asks.
    CURLM* Own() {
        if (!own) {
            own = curl_multi_init();
        }
        return own;
    }
    // The multi handle the transfer waits in, for Cancel() to wake.
    void SetActive(CURLM* multi) {
        std::lock_guard<std::mutex> lock(mutex);
        active = multi;
    }
    CURL* const easy;
    CURLM* own = nullptr;
    std::mutex mutex;
    CURLM* active = nullptr;
};

// One answer being received, as libcurl's callbacks see it.
struct THttpClient::Answer {
    Answer(const TFetchRequest& request, THttpSink& sink, CURL* easy)
        : request(request), sink(sink), easy(easy) {}
    const TFetchRequest& request;
    THttpSink& sink;
    CURL* easy;
    THttpHead head;
    bool headDone = false;
    bool told = false;  // the sink has its head
    bool refused = false;
    qint64 received = 0;
    QString thrown;  // what a sink threw: nothing may cross libcurl

    void Reset(const QString& url) {
        head = THttpHead();
        head.url = url;
        headDone = told = refused = false;
        received = 0;
    }

    static size_t OnHeader(char* data, size_t size, size_t count, void* self) {
        auto* a = static_cast<Answer*>(self);
        try {
            return a->ReceiveHeader(QByteArray(data, static_cast<qsizetype>(size * count)))
                       ? size * count
                       : 0;
        } catch (const std::exception& e) {
            a->thrown = QString::fromLocal8Bit(e.what());
            return 0;
        }
    }

    bool ReceiveHeader(const QByteArray& line) {
        if (line.startsWith("HTTP/")) {
            head.head.clear();  // an interim answer (100 Continue) is replaced by the real one
            head.statusLine = line.trimmed();
            head.status = StatusOf(line);
        }
        head.head += line;
        if (line != "\r\n" && line != "\n") {
            return true;
        }
        if (head.status < 200) {
            return true;  // an interim answer's end: the real one follows
        }
        headDone = true;
        curl_off_t length = -1;
        curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        head.announced = length > 0 ? length : 0;
        if (IsRedirect(head.status) && !request.asSent && !request.everyAnswer &&
            request.redirects > 0) {
            return true;  // followed here; its body only keeps the connection
        }
        told = true;
        refused = !sink.Head(head);
        return !refused;
    }

    static int OnDebug(CURL*, curl_infotype type, char* data, size_t size, void* self) {
        if (type == CURLINFO_HEADER_OUT) {
            static_cast<Answer*>(self)->head.request =
                QByteArray(data, static_cast<qsizetype>(size));
        }
        return 0;
    }

    static size_t OnBody(char* data, size_t size, size_t count, void* self) {
        auto* a = static_cast<Answer*>(self);
        const size_t length = size * count;
        a->received += static_cast<qint64>(length);
        if (!a->told) {
            return length;
        }
        try {
            return a->sink.Body(data, length) ? length : 0;
        } catch (const std::exception& e) {
            a->thrown = QString::fromLocal8Bit(e.what());
            return 0;
        }
    }
};

THttpClient::THttpClient() {
    InitCurl();
    handles_ = new Handles;
}

THttpClient::~THttpClient() {
    delete handles_;
}

void THttpClient::Cancel() {
    cancelled_ = true;
    std::lock_guard<std::mutex> lock(handles_->mutex);
    if (handles_->active) {
        curl_multi_wakeup(handles_->active);
    }
}

void THttpClient::Wait(int ms) {
    CURLM* const own = handles_->Own();
    if (!own) {
        return;  // no network library: no transfer to wait for either
    }
    handles_->SetActive(own);
    QElapsedTimer waited;
    waited.start();
    while (!cancelled_ && waited.elapsed() < ms) {
        curl_multi_poll(own, nullptr, 0, static_cast<int>(ms - waited.elapsed()), nullptr);
    }
    handles_->SetActive(nullptr);
}

TTransferEnd THttpClient::Get(const TFetchRequest& request, THttpSink& sink) {
    TTransferEnd end;
    end.timeoutMs = request.timeoutMs;
    CURL* easy = handles_->easy;
    CURLM* multi =
        request.connections ? static_cast<CURLM*>(request.connections->Handle()) : handles_->Own();
    if (!easy || !multi) {
        end.code = CURLE_FAILED_INIT;
        const QString problem = NetworkLibraryProblem();
        end.error = "the network library cannot start" + (problem.isEmpty() ? "" : ": " + problem);
        return end;
    }
    Answer answer(request, sink, easy);
    char error[CURL_ERROR_SIZE] = {};
    curl_easy_reset(easy);
    curl_slist* headers = curl_slist_append(nullptr, "Accept: */*");
    if (request.fresh) {
        headers = curl_slist_append(headers, "Cache-Control: no-cache");
        headers = curl_slist_append(headers, "Pragma: no-cache");
    }
    const std::unique_ptr<curl_slist, void (*)(curl_slist*)> headerList(headers,
                                                                        curl_slist_free_all);
    const QByteArray userAgent = request.userAgent.toUtf8();
    const QByteArray referer = request.referer.toUtf8();
    const QByteArray caFile = request.caFile.toUtf8();
    curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, userAgent.constData());
    if (!referer.isEmpty()) {
        curl_easy_setopt(easy, CURLOPT_REFERER, referer.constData());
    }
    if (!caFile.isEmpty()) {
        curl_easy_setopt(easy, CURLOPT_CAINFO, caFile.constData());
    }
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(request.connectTimeoutMs));
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(request.timeoutMs));
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, kStallSeconds);
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kReadSize);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Answer::OnHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &answer);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Answer::OnBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &answer);
    if (request.asSent) {
        curl_easy_setopt(easy, CURLOPT_HTTP_TRANSFER_DECODING, 0L);
    }
    if (request.asSent || request.everyAnswer) {
        curl_easy_setopt(easy, CURLOPT_DEBUGFUNCTION, &Answer::OnDebug);
        curl_easy_setopt(easy, CURLOPT_DEBUGDATA, &answer);
        curl_easy_setopt(easy, CURLOPT_VERBOSE, 1L);
    }
    if (request.guard) {
        request.guard->Guard(easy);
    }

    QString url = request.url;
    CURLcode code = CURLE_OK;
    handles_->SetActive(multi);
    for (int hop = 0;; ++hop) {
        if (!IsHttpAddress(url)) {
            code = CURLE_UNSUPPORTED_PROTOCOL;
            snprintf(error, CURL_ERROR_SIZE,
                     hop == 0 ? "not an http or https address"
                              : "redirected to an address that is not http or https");
            break;
        }
        const QByteArray address = url.toUtf8();
        curl_easy_setopt(easy, CURLOPT_URL, address.constData());
        answer.Reset(url);
        error[0] = '\0';
        curl_multi_add_handle(multi, easy);
        int running = 1;
        code = CURLE_OK;
        while (running > 0 && !cancelled_) {
            if (curl_multi_perform(multi, &running) != CURLM_OK) {
                code = CURLE_FAILED_INIT;
                break;
            }
            if (running > 0) {
                curl_multi_poll(multi, nullptr, 0, kPollMs, nullptr);
            }
        }
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
            if (message->msg == CURLMSG_DONE) {
                code = message->data.result;
            }
        }
        curl_multi_remove_handle(multi, easy);
        if (!answer.headDone) {
            curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &answer.head.status);
        }
        const bool whole = code == CURLE_OK && !cancelled_;
        char* next = nullptr;
        const bool redirected = whole && IsRedirect(answer.head.status) && request.redirects > 0 &&
                                curl_easy_getinfo(easy, CURLINFO_REDIRECT_URL, &next) == CURLE_OK &&
                                next;
        if (answer.told) {
            sink.End(whole);
        }
        if (!redirected) {
            break;
        }
        if (hop == request.redirects) {
            code = CURLE_TOO_MANY_REDIRECTS;
            break;
        }
        url = QString::fromUtf8(next);
    }
    handles_->SetActive(nullptr);

    end.code = code;
    end.error =
        error[0] ? QString::fromLocal8Bit(error) : QString::fromLatin1(curl_easy_strerror(code));
    end.cancelled = cancelled_;
    end.refused = answer.refused;
    end.fault = !answer.thrown.isEmpty() ? answer.thrown : sink.Fault();
    end.blocked = request.guard ? request.guard->Refused() : QString();
    end.status = answer.head.status;
    end.statusLine = answer.head.statusLine;
    end.head = answer.head.head;
    end.announced = answer.head.announced;
    end.received = answer.received;
    return end;
}

void* TConnectionPool::Handle() {
    std::call_once(made_, [this] {
        InitCurl();
        multi_ = curl_multi_init();
    });
    return multi_;
}

TConnectionPool::~TConnectionPool() {
    if (multi_) {
        curl_multi_cleanup(static_cast<CURLM*>(multi_));
    }
}
