#include "logic/SavedIndex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
constexpr qint64 kMostRead = 64 * 1024 * 1024;  // a larger index is not ours to trust whole

// Holds an exclusive or shared lock on an open file for as long as it lives.
class FileLock {
  public:
    FileLock(int fd, int how) : fd_(fd) { ok_ = fd_ >= 0 && ::flock(fd_, how) == 0; }
    ~FileLock() {
        if (fd_ >= 0) {
            ::close(fd_);  // drops the lock
        }
    }
    bool Ok() const { return ok_; }

  private:
    int fd_;
    bool ok_ = false;
};
}  // namespace

TSavedIndex::TSavedIndex(QString folder) : folder_(std::move(folder)) {
    const QByteArray path = QFile::encodeName(folder_ + kFileName);
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    FileLock lock(fd, LOCK_SH);
    QFile file;
    if (!lock.Ok() || !file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle)) {
        return;
    }
    for (qint64 read = 0; !file.atEnd() && read < kMostRead;) {
        const QByteArray line = file.readLine(64 * 1024);
        read += line.size();
        if (!line.endsWith('\n')) {
            continue;  // cut short, or longer than any entry of ours
        }
        const QJsonObject json = QJsonDocument::fromJson(line).object();
        TSavedEntry entry{json["address"].toString(), json["file"].toString(),
                          json["size"].toInteger(-1), json["sha256"].toString().toLatin1()};
        // A name within the folder, never a way out of it.
        if (!entry.address.isEmpty() && !entry.file.isEmpty() && !entry.file.contains('/') &&
            entry.file != "." && entry.file != "..") {
            entries_.insert(entry.address, entry);
        }
    }
}

std::optional<TSavedEntry> TSavedIndex::Find(const QString& address) const {
    const auto found = entries_.constFind(address);
    if (found == entries_.constEnd()) {
        return std::nullopt;
    }
    const QFileInfo file(folder_ + found->file);
    if (!file.isFile() || file.size() != found->size) {
        return std::nullopt;
    }
    return *found;
}

TOutcome TSavedIndex::Record(const QString& address, const QString& file, qint64 size,
                             const QByteArray& sha256) {
    const TSavedEntry entry{address, file.section('/', -1), size, sha256};
    const QByteArray line = QJsonDocument(QJsonObject{{"address", entry.address},
                                                      {"file", entry.file},
                                                      {"size", entry.size},
                                                      {"sha256", QString::fromLatin1(sha256)}})
                                .toJson(QJsonDocument::Compact) +
                            '\n';
    const QByteArray path = QFile::encodeName(folder_ + kFileName);
    const int fd =
        ::open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) {
        return TOutcome::Failed(
            QString("cannot record %1 in %2: %3").arg(entry.file, kFileName, ErrnoText(errno)));
    }
    FileLock lock(fd, LOCK_EX);
    const ssize_t written = ::write(fd, line.constData(), static_cast<size_t>(line.size()));
    if (written != line.size()) {
        const int error = written < 0 ? errno : ENOSPC;
        if (written > 0) {
            // Part of a line would spoil the next: it is taken back.
            struct stat info {};
            if (::fstat(fd, &info) == 0) {
                [[maybe_unused]] const int cut = ::ftruncate(fd, info.st_size - written);
            }
        }
        return TOutcome::Failed(
            QString("cannot record %1 in %2: %3").arg(entry.file, kFileName, ErrnoText(error)));
    }
    entries_.insert(entry.address, entry);
    return TOutcome::Done();
}
