#include "platform/FileOps.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <vector>

namespace {
constexpr size_t kChunk = 8 * 1024 * 1024;  // between two looks at keepGoing

struct CopyResult {
    enum State { Copied, Stopped, ReadFailed, WriteFailed } state;
    int error = 0;
};

// Copies in to out in the kernel where it can, through a buffer where it cannot.
CopyResult CopyContents(int in, int out, const std::function<bool()>& keepGoing) {
    bool kernel = true;
    std::vector<char> buffer;
    for (;;) {
        if (keepGoing && !keepGoing()) {
            return {CopyResult::Stopped};
        }
        if (kernel) {
            const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, kChunk, 0);
            if (n > 0) {
                continue;
            }
            if (n == 0) {
                return {CopyResult::Copied};
            }
            if (errno == EINTR) {
                continue;
            }
            if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP) {
                // Which side failed is not said: a full disk or a quota is the writer's.
                const bool writer = errno == ENOSPC || errno == EDQUOT || errno == EFBIG;
                return {writer ? CopyResult::WriteFailed : CopyResult::ReadFailed, errno};
            }
            kernel = false;  // not between these two file systems: copy it ourselves
            buffer.resize(1024 * 1024);
        }
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return {CopyResult::ReadFailed, errno};
        }
        if (n == 0) {
            return {CopyResult::Copied};
        }
        if (!WriteAll(out, buffer.data(), static_cast<size_t>(n))) {
            return {CopyResult::WriteFailed, errno};
        }
    }
}
}  // namespace

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (n == 0) {
                errno = EIO;
            }
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

int OpenUnnamedFile(const QString& folder) {
    const QByteArray place = QFile::encodeName(folder);
    int fd = ::open(place.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR)) {
        QByteArray name = place + "/.vimbrel-spool-XXXXXX";
        fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd >= 0) {
            ::unlink(name.constData());
        }
    }
    return fd;
}

TAtomicFile::TAtomicFile(const QString& target)
    : targetName_(target), target_(QFile::encodeName(target)) {
    const QFileInfo to(target);
    temp_ = QFile::encodeName(to.absolutePath() + "/." + to.fileName() + ".vimbrel-XXXXXX");
    fd_ = ::mkostemp(temp_.data(), O_CLOEXEC);
    if (fd_ < 0) {
        error_ = QString("cannot create %1: %2").arg(target, ErrnoText(errno));
        temp_.clear();
        return;
    }
    struct stat existing {};
    const bool replaces = ::stat(target_.constData(), &existing) == 0;
    ::fchmod(fd_, replaces ? (existing.st_mode & 07777) : 0644);
}

TAtomicFile::~TAtomicFile() {
    Cancel();
}

void TAtomicFile::SetWriteError(int error) {
    error_ = QString("cannot write %1: %2").arg(targetName_, ErrnoText(error));
}

bool TAtomicFile::Write(const char* data, size_t size) {
    if (fd_ < 0) {
        return false;
    }
    if (!WriteAll(fd_, data, size)) {
        SetWriteError(errno);
        return false;
    }
    return true;
}

bool TAtomicFile::Rewind() {
    if (fd_ < 0 || ::ftruncate(fd_, 0) != 0 || ::lseek(fd_, 0, SEEK_SET) != 0) {
        SetWriteError(fd_ < 0 ? EBADF : errno);
        return false;
    }
    return true;
}

bool TAtomicFile::Commit(Replace replace) {
    return CommitAs(targetName_, replace);
}

bool TAtomicFile::CommitAs(const QString& target, Replace replace) {
    taken_ = false;
    if (fd_ >= 0) {
        // Closing reports a write the kernel could not finish (a full disk on some file systems).
        if (::close(fd_) != 0) {
            fd_ = -1;
            SetWriteError(errno);
            Cancel();
            return false;
        }
        fd_ = -1;
    }
    if (temp_.isEmpty()) {
        return false;
    }
    const QByteArray to = QFile::encodeName(target);
    const int renamed =
        replace == Replace::Always
            ? ::rename(temp_.constData(), to.constData())
            : ::renameat2(AT_FDCWD, temp_.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
    if (renamed != 0) {
        const int error = errno;
        if (error == EEXIST && replace == Replace::Never) {
            taken_ = true;  // the temporary stays for another name
            return false;
        }
        error_ = QString("cannot save %1: %2").arg(target, ErrnoText(error));
        Cancel();
        return false;
    }
    temp_.clear();
    return true;
}

void TAtomicFile::Cancel() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temp_.isEmpty()) {
        ::unlink(temp_.constData());
        temp_.clear();
    }
}

TOutcome MakeFolderInside(const QString& root, const QString& relative) {
    int at = ::open(QFile::encodeName(root).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (at < 0) {
        return TOutcome::Failed(QString("cannot open %1: %2").arg(root, ErrnoText(errno)));
    }
    for (const QString& name : relative.split('/', Qt::SkipEmptyParts)) {
        const QByteArray raw = QFile::encodeName(name);
        if (::mkdirat(at, raw.constData(), 0755) != 0 && errno != EEXIST) {
            const int error = errno;
            ::close(at);
            return TOutcome::Failed(
                QString("cannot make %1 in %2: %3").arg(name, root, ErrnoText(error)));
        }
        const int next =
            ::openat(at, raw.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const int error = errno;
        ::close(at);
        if (next < 0) {
            return TOutcome::Failed(
                error == ELOOP || error == ENOTDIR
                    ? QString("%1 in %2 is a link or a file, not a folder: nothing is saved "
                              "through it")
                          .arg(name, root)
                    : QString("cannot open %1 in %2: %3").arg(name, root, ErrnoText(error)));
        }
        at = next;
    }
    ::close(at);
    return TOutcome::Done();
}

TOutcome CopyFileAtomic(const QString& source, const QString& target,
                        const std::function<bool()>& keepGoing) {
    const int in = ::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        return TOutcome::Failed(QString("cannot read %1: %2").arg(source, ErrnoText(errno)));
    }
    TAtomicFile out(target);
    if (!out.IsOpen()) {
        ::close(in);
        return TOutcome::Failed(out.Error());
    }
    const CopyResult copied = CopyContents(in, out.Handle(), keepGoing);
    ::close(in);
    switch (copied.state) {
        case CopyResult::Stopped:
            return TOutcome::Stopped();
        case CopyResult::ReadFailed:
            return TOutcome::Failed(
                QString("cannot read %1: %2").arg(source, ErrnoText(copied.error)));
        case CopyResult::WriteFailed:
            out.SetWriteError(copied.error);
            return TOutcome::Failed(out.Error());
        case CopyResult::Copied:
            break;
    }
    return out.Commit() ? TOutcome::Done() : TOutcome::Failed(out.Error());
}
