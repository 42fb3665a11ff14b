#pragma once

#include <QByteArray>
#include <QString>
#include <future>
#include <memory>

#include "logic/HttpClient.h"
#include "logic/Job.h"

class TAtomicFile;

// What a download gave.
struct TDownloadResult {
    bool saved = false;
    QString reason;       // why not, in words: an HTTP status, the network's or the disk's error
    long httpStatus = 0;  // of the last answer, 0 when none came
    qint64 bytes = 0;     // of the body received
    QString file;         // the file written
    QByteArray sha256;    // of the body, in hex
};

// Sees what a download sends and receives, as it goes: for every answer (redirects and error
// pages included) the request, the status line and headers, then the body. Called on the
// download's thread.
class TResponseRecorder {
  public:
    virtual ~TResponseRecorder() = default;
    // An answer's head has arrived: request and head as they went over the wire, CRLFs included.
    virtual void Answer(const QString& url, const QByteArray& request, const QByteArray& head) = 0;
    virtual void Body(const char* data, size_t size) = 0;
    // The answer ended, whole or cut off; another may follow.
    virtual void Finish(bool complete) = 0;
};

// How a download goes about its work.
struct THttpGetOptions {
    QString caFile;                          // extra trusted certificates (PEM)
    TConnectionPool* connections = nullptr;  // kept-alive connections to reuse
    bool positions = true;                   // tell progress positions (a bar in a window)
    TResponseRecorder* recorder = nullptr;   // sees every answer as received
    // A file that appeared under the name meanwhile is kept: the body goes to the next free
    // name of the form "name (2).swf" instead (numbering numberFrom when given, else the file's
    // own name). Otherwise an existing file is replaced.
    bool keepOthersFiles = false;
    QString numberFrom;
    QString userAgent = TFetchRequest::kUserAgent;
    QString referer;  // the page the movie was found on; none when empty
    // How often a busy server (429, 502, 503, 504) or a cut connection is tried again.
    int retries = 0;
    qint64 maxBytes = 0;  // the largest body taken (0: any); a larger one fails
    // The file, opened for this download beforehand (while the one before it ran) for the same
    // name; opened by the download itself when there is none.
    std::shared_future<std::shared_ptr<TAtomicFile>> openedFile;
};

// Opens the file for fileName on thread: the future a download's openedFile takes.
std::shared_future<std::shared_ptr<TAtomicFile>> OpenFileOn(TJobThread& thread,
                                                            const QString& fileName);

// Fetches one movie with a single GET request and writes the body to a file. Progress is
// measured in blocks of kBlockSize bytes: the position after every block (and after the last,
// short one) is reported whenever it changes. The file appears under its name only when the
// whole body arrived with a 2xx status; otherwise nothing is left and an existing file of that
// name is untouched. Only http and https are fetched, redirects included. Cancelled, the
// transfer stops at once and leaves nothing behind.
class THttpGetThread : public TJob {
    Q_OBJECT
  public:
    static constexpr int kBlockSize = 1025;

    using Options = THttpGetOptions;

    const QString& Url() const { return url_; }
    // Valid once Finished has been delivered.
    const TDownloadResult& Result() const { return result_; }

  signals:
    void Progress(int position);
    // Bytes of the movie received so far, and announced (0: none), a few times a second.
    void Received(qint64 bytes, qint64 total);

  protected:
    THttpGetThread(QString url, QString fileName, Options options = {}, QObject* owner = nullptr);
    TOutcome Execute() override;

  private:
    class Receiver;
    const QString url_;
    const QString fileName_;
    const Options options_;
    TDownloadResult result_;
};
