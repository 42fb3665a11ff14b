#pragma once

#include <QString>
#include <functional>

#include "logic/WorkerThread.h"

// Fetches one movie with a single GET request on its own thread and writes the body to a file.
// Progress is measured in blocks of kBlockSize bytes: the position after every block (and after
// the last, short one) is reported whenever it changes, without waiting for the screen. The
// file appears under its name only when the whole body arrived with a 2xx status; otherwise
// nothing is left and an existing file of that name is untouched. Only http and https are
// fetched. The outcome goes to the completion handler; when the session ends, the transfer stops
// and leaves nothing behind.
class THttpGetThread final : public TWorkerThread {
  public:
    static constexpr int kBlockSize = 1025;

    using ReportProgress = std::function<void(int position)>;  // runs on the UI thread
    using Finished = std::function<void(bool saved)>;          // runs on the UI thread

    struct Options {
        QString caFile;  // extra trusted certificates (PEM); empty = the system's
    };

    // context: the object the reports are for; nothing reaches it once it is gone.
    THttpGetThread(const QString& url, const QString& fileName, ReportProgress reportProgress,
                   Finished onFinished, Options options = {}, QObject* context = nullptr);

  protected:
    void Execute() override;

  private:
    static size_t ReceiveChunk(char* data, size_t size, size_t count, void* self);
    static int Continue(void* self, long long, long long, long long, long long);
    bool Receive(const char* data, size_t length);
    void ReportPosition(qint64 done);

    const QString Url;
    const QString FileName;
    const ReportProgress reportProgress_;
    const Options options_;
    class TAtomicFile* OutFile = nullptr;
    void* curl_ = nullptr;
    bool headerChecked_ = false;
    bool statusOk_ = false;
    bool receiveFailed_ = false;
    qint64 ContentLength = 0;  // 0: none announced
    qint64 BytesTotal = 0;
    int lastPosition_ = -1;
    bool saved_ = false;
};
