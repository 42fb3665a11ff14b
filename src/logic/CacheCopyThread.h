#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "logic/WorkerThread.h"

// Copies a list of cached files into one folder on its own thread, reporting the position and
// the destination after every file. Every copy is atomic; a file that fails counts as handled
// and the next one follows. Two sources of the same name in one run do not overwrite each
// other: the later one gets "name (2).swf". When the session ends the copy in progress is
// dropped and no further file is started.
class TCacheCopyThread final : public TWorkerThread {
  public:
    using ReportProgress = std::function<void(int position, const QString& target)>;

    TCacheCopyThread(const QString& folder, const QStringList& files, ReportProgress reportProgress,
                     Completion onCompletion, QObject* context = nullptr);

    // Folder + the source's file name.
    QString TargetFor(const QString& source) const;

  protected:
    void Execute() override;

  private:
    const QStringList Files;  // own copy, in the order given
    const QString Folder;     // ends with "/"
    const ReportProgress reportProgress_;
    QString Source;
    QString Target;
    int Copied = 0;
    const int Total;
};
