#include "logic/CacheCopyThread.h"

#include <QFileInfo>
#include <QSet>

#include "logic/Progress.h"
#include "logic/SavedLoads.h"
#include "logic/TargetNames.h"
#include "platform/Digest.h"
#include "platform/FileOps.h"

TCacheCopyThread::TCacheCopyThread(const QString& folder, const QStringList& files, QObject* owner)
    : TJob(owner), Files(files), Folder(folder), Total(static_cast<int>(files.size())) {}

QString TCacheCopyThread::TargetFor(const QString& source) const {
    return Folder + LastPathPart(source);
}

void TCacheCopyThread::CopyWithLoads(int index, const QString& address,
                                     std::vector<TLoadedFile> loads) {
    loads_[index] = {address, std::move(loads)};
}

TOutcome TCacheCopyThread::CopyFileWithLoads(const QString& address,
                                             const std::vector<TLoadedFile>& loads,
                                             QSet<QString>& written) {
    const auto exists = [](const QString& p) { return QFileInfo::exists(p); };
    const QString name = LastPathPart(Source);
    const QString stem = QFileInfo(name).completeBaseName();
    const QString folder = UniqueTargetPath(Folder, stem.isEmpty() ? name : stem, written, exists);
    written.insert(folder);  // the folder's name is taken, whatever comes of the copy
    Target = folder + "/" + name;
    const auto cancelled = [this] { return IsCancelled(); };
    TOutcome copied = MakeFolderInside(Folder, LastPathPart(folder));
    if (copied) {
        copied = CopyFileAtomic(Source, Target, [this] { return !IsCancelled(); });
    }
    if (!copied) {
        return copied;
    }
    TDownloadResult movie;
    movie.saved = true;
    movie.file = Target;
    movie.bytes = QFileInfo(Target).size();
    movie.sha256 = TDigest::OfFile(TDigest::Kind::Sha256, Target).toHex();
    movie.httpStatus = 200;
    return SaveLoadsBeside(folder + "/", address, movie, loads, cancelled);
}

TOutcome TCacheCopyThread::Execute() {
    QSet<QString> written;
    int failed = 0;
    QString firstReason;
    for (int i = 0; i < Files.size(); ++i) {
        if (IsCancelled()) {
            return TOutcome::Stopped();
        }
        Source = Files[i];
        TOutcome copied;
        if (const auto withLoads = loads_.find(i); withLoads != loads_.end()) {
            copied = CopyFileWithLoads(withLoads->second.first, withLoads->second.second, written);
        } else {
            Target = UniqueTargetPath(Folder, LastPathPart(Source), written,
                                      [](const QString& p) { return QFileInfo::exists(p); });
            copied = CopyFileAtomic(Source, Target, [this] { return !IsCancelled(); });
        }
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
