#include "logic/CacheCopyThread.h"

#include <QFileInfo>
#include <QSet>

#include "logic/Progress.h"
#include "logic/TargetNames.h"
#include "platform/FileOps.h"

TCacheCopyThread::TCacheCopyThread(const QString& folder, const QStringList& files, QObject* owner)
    : TJob(owner), Files(files), Folder(folder), Total(static_cast<int>(files.size())) {}

TCacheCopyThread::~TCacheCopyThread() {
    Stop();
}

QString TCacheCopyThread::TargetFor(const QString& source) const {
    return Folder + LastPathPart(source);
}

TOutcome TCacheCopyThread::Execute() {
    QSet<QString> written;
    int failed = 0;
    QString firstReason;
    for (const QString& file : Files) {
        if (IsCancelled()) {
            return TOutcome::Failed("stopped");
        }
        Source = file;
        Target = UniqueTargetPath(Folder, LastPathPart(Source), written,
                                  [](const QString& p) { return QFileInfo::exists(p); });
        const TOutcome copied = CopyFileAtomic(Source, Target, [this] { return !IsCancelled(); });
        if (copied) {
            written.insert(Target);
        } else if (failed++ == 0) {
            firstReason = copied.reason;
        }
        ++Copied;
        const int position = ProgressPosition(Copied, Total);
        Post([this, position, target = Target, copied] {
            emit FileCopied(position, target, copied);
        });
    }
    if (failed > 0) {
        return TOutcome::Failed(QString("%1 of %2 files could not be copied: %3")
                                    .arg(failed)
                                    .arg(Total)
                                    .arg(firstReason));
    }
    return TOutcome::Done();
}
