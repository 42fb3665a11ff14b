#include "platform/Pruning.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <QDateTime>
#include <QDirIterator>
#include <QFile>
#include <algorithm>
#include <vector>

namespace {
constexpr qint64 kRecentMs = 60 * 1000;

struct Found {
    QString path;
    qint64 size;
    qint64 modifiedMs;
};
}  // namespace

qint64 PruneFolder(const QString& folder, qint64 maxBytes, const QSet<QString>& keep) {
    std::vector<Found> files;
    qint64 total = 0;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoSymLinks,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        total += info.size();
        if (!keep.contains(info.fileName())) {
            files.push_back(
                {info.filePath(), info.size(), info.lastModified().toMSecsSinceEpoch()});
        }
    }
    std::sort(files.begin(), files.end(),
              [](const Found& a, const Found& b) { return a.modifiedMs < b.modifiedMs; });
    const qint64 recent = QDateTime::currentMSecsSinceEpoch() - kRecentMs;
    qint64 removed = 0;
    for (const Found& file : files) {
        if (total - removed <= maxBytes || file.modifiedMs > recent) {
            break;
        }
        if (QFile::remove(file.path)) {
            removed += file.size;
        }
    }
    return removed;
}

void TouchFile(const QString& path) {
    ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), nullptr, 0);
}
