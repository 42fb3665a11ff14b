#pragma once

#include <QString>
#include <functional>

#include "transfers/WorkerThread.h"

// Fetches one movie with a single GET request on its own thread and writes the body to a file,
// block by block, reporting progress after every block. The file appears under its name only
// when the whole body arrived with a 2xx status; otherwise nothing is left and an existing file
// of that name is untouched. The outcome goes to the completion handler.
class THttpGetThread : public TWorkerThread {
  public:
    static constexpr int kBlockSize = 1025;

    using ReportProgress = std::function<void(int position)>;  // runs on the UI thread
    using Finished = std::function<void(bool saved)>;          // runs on the UI thread

    struct Options {
        QString caFile;  // extra trusted certificates (PEM); empty = the system's
    };

    THttpGetThread(const QString& url, const QString& fileName, ReportProgress reportProgress,
                   Finished onFinished, Options options = {});

  protected:
    void Execute() override;

  private:
    static size_t ReceiveChunk(char* data, size_t size, size_t count, void* self);
    bool ReceiveBlocks(const char* data, size_t length);
    bool WriteBlock();

    const QString Url;
    const QString FileName;
    const ReportProgress reportProgress_;
    const Options options_;
    class QSaveFile* OutFile = nullptr;
    void* curl_ = nullptr;
    bool headerChecked_ = false;
    bool statusOk_ = false;
    bool receiveFailed_ = false;
    qint64 ContentLength = 0;  // 0: none announced
    qint64 BytesTotal = 0;
    char Buffer[kBlockSize];
    size_t bufferFill_ = 0;
    bool saved_ = false;
};
