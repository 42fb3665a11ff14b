#include "logic/HttpGetThread.h"

#include <curl/curl.h>

#include "logic/AddressResolution.h"
#include "logic/Progress.h"
#include "platform/FileOps.h"

namespace {
constexpr long kReadSize = 512 * 1024;  // what libcurl hands over at once: sized for speed

struct CurlGlobal {
    CurlGlobal() { curl_global_init(CURL_GLOBAL_DEFAULT); }
    // Never under a live transfer: a worker still inside libcurl at exit keeps it.
    ~CurlGlobal() {
        if (TWorkerThread::RunningCount() == 0) {
            curl_global_cleanup();
        }
    }
};

bool IsSuccess(long status) {
    return status >= 200 && status < 300;
}
}  // namespace

THttpGetThread::THttpGetThread(const QString& url, const QString& fileName,
                               ReportProgress reportProgress, Finished onFinished, Options options,
                               QObject* context)
    : TWorkerThread(
          [this, onFinished] {
              if (onFinished) {
                  onFinished(saved_);
              }
          },
          context),
      Url(url),
      FileName(fileName),
      reportProgress_(std::move(reportProgress)),
      options_(std::move(options)) {
    static CurlGlobal curlGlobal;  // before any thread uses libcurl
    Start();
}

void THttpGetThread::Execute() {
    if (!IsHttpAddress(Url) || Aborting()) {
        return;  // addresses come from web pages: no other scheme reaches the network or disk
    }
    TAtomicFile file(FileName);
    if (!file.IsOpen()) {
        return;  // the name cannot be created here: nothing to fetch into
    }
    OutFile = &file;

    CURL* curl = curl_easy_init();
    if (!curl) {
        return;
    }
    curl_ = curl;
    const QByteArray url = Url.toUtf8();
    const QByteArray caFile = options_.caFile.toUtf8();
    curl_slist* headers = nullptr;
    headers = curl_slist_append(headers, "Accept: */*");
    // Always from the server, never from a cache on the way.
    headers = curl_slist_append(headers, "Cache-Control: no-cache");
    headers = curl_slist_append(headers, "Pragma: no-cache");
    curl_easy_setopt(curl, CURLOPT_URL, url.constData());
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "HTTPGET");
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 20L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 30L);
    // A connection that stalls for a minute is given up rather than left hanging.
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, 60L);
    curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, kReadSize);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &THttpGetThread::ReceiveChunk);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, this);
    // Called at least once a second: the end of the session stops the transfer there.
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &THttpGetThread::Continue);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, this);
    if (!caFile.isEmpty()) {
        curl_easy_setopt(curl, CURLOPT_CAINFO, caFile.constData());
    }

    const CURLcode result = curl_easy_perform(curl);
    if (result == CURLE_OK && !receiveFailed_) {
        ReportPosition(BytesTotal);  // after the last, short block
    }
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    curl_slist_free_all(headers);
    curl_ = nullptr;
    OutFile = nullptr;

    const bool complete = ContentLength <= 0 || BytesTotal >= ContentLength;
    if (result == CURLE_OK && IsSuccess(status) && !receiveFailed_ && complete) {
        saved_ = file.Commit();
    }  // otherwise the temporary goes with the file object
}

size_t THttpGetThread::ReceiveChunk(char* data, size_t size, size_t count, void* self) {
    auto* worker = static_cast<THttpGetThread*>(self);
    const size_t length = size * count;
    // Anything thrown here must not cross libcurl; a failed write ends the transfer.
    try {
        return worker->Receive(data, length) ? length : 0;
    } catch (...) {
        worker->receiveFailed_ = true;
        return 0;
    }
}

int THttpGetThread::Continue(void*, long long, long long, long long, long long) {
    return TWorkerThread::Aborting() ? 1 : 0;
}

bool THttpGetThread::Receive(const char* data, size_t length) {
    if (!headerChecked_) {
        headerChecked_ = true;
        long status = 0;
        curl_easy_getinfo(static_cast<CURL*>(curl_), CURLINFO_RESPONSE_CODE, &status);
        statusOk_ = IsSuccess(status);
        curl_off_t announced = -1;
        curl_easy_getinfo(static_cast<CURL*>(curl_), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T,
                          &announced);
        ContentLength = announced > 0 ? announced : 0;
    }
    if (!statusOk_ || TWorkerThread::Aborting()) {
        receiveFailed_ = true;  // an error page is not the movie
        return false;
    }
    if (!OutFile->Write(data, length)) {
        receiveFailed_ = true;
        return false;
    }
    // The position after every whole block this piece completed, as if read block by block.
    const qint64 before = BytesTotal;
    BytesTotal += static_cast<qint64>(length);
    for (qint64 block = (before / kBlockSize + 1) * kBlockSize; block <= BytesTotal;
         block += kBlockSize) {
        ReportPosition(block);
    }
    return true;
}

void THttpGetThread::ReportPosition(qint64 done) {
    if (ContentLength <= 0 || !reportProgress_) {
        return;  // no length, no bar
    }
    const int position = ProgressPosition(done, ContentLength);
    if (position != lastPosition_) {
        lastPosition_ = position;
        Post([report = reportProgress_, position] { report(position); });
    }
}
