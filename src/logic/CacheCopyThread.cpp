#include "logic/CacheCopyThread.h"

#include <QFileInfo>
#include <QSet>

#include "logic/Progress.h"
#include "logic/TargetNames.h"
#include "platform/FileOps.h"

TCacheCopyThread::TCacheCopyThread(const QString& folder, const QStringList& files,
                                   ReportProgress reportProgress, Completion onCompletion,
                                   QObject* context)
    : TWorkerThread(std::move(onCompletion), context),
      Files(files),
      Folder(folder),
      reportProgress_(std::move(reportProgress)),
      Total(static_cast<int>(files.size())) {
    Start();
}

QString TCacheCopyThread::TargetFor(const QString& source) const {
    return Folder + LastPathPart(source);
}

void TCacheCopyThread::Execute() {
    QSet<QString> written;
    for (const QString& file : Files) {
        if (Aborting()) {
            return;
        }
        Source = file;
        Target = UniqueTargetPath(Folder, LastPathPart(Source), written,
                                  [](const QString& p) { return QFileInfo::exists(p); });
        // A failure is not reported; the next file follows.
        if (CopyFileAtomic(Source, Target, [] { return !Aborting(); })) {
            written.insert(Target);
        }
        ++Copied;
        const int position = ProgressPosition(Copied, Total);
        Post([report = reportProgress_, position, target = Target] { report(position, target); });
    }
}
