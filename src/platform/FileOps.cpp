#include "platform/FileOps.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <vector>

namespace {
constexpr size_t kChunk = 8 * 1024 * 1024;  // between two looks at keepGoing

// Writes all of data, retrying short writes.
bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Copies in to out in the kernel where it can, through a buffer where it cannot.
bool CopyContents(int in, int out, const std::function<bool()>& keepGoing) {
    bool kernel = true;
    std::vector<char> buffer;
    for (;;) {
        if (keepGoing && !keepGoing()) {
            return false;
        }
        if (kernel) {
            const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, kChunk, 0);
            if (n > 0) {
                continue;
            }
            if (n == 0) {
                return true;
            }
            if (errno == EINTR) {
                continue;
            }
            if (errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP) {
                return false;
            }
            kernel = false;  // not between these two file systems: copy it ourselves
            buffer.resize(1024 * 1024);
        }
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            return true;
        }
        if (!WriteAll(out, buffer.data(), static_cast<size_t>(n))) {
            return false;
        }
    }
}
}  // namespace

TAtomicFile::TAtomicFile(const QString& target) : target_(QFile::encodeName(target)) {
    const QFileInfo to(target);
    temp_ = QFile::encodeName(to.absolutePath() + "/." + to.fileName() + ".vimbrel-XXXXXX");
    fd_ = ::mkostemp(temp_.data(), O_CLOEXEC);
    if (fd_ >= 0) {
        struct stat existing {};
        const bool replaces = ::stat(target_.constData(), &existing) == 0;
        ::fchmod(fd_, replaces ? (existing.st_mode & 07777) : 0644);
    }
}

TAtomicFile::~TAtomicFile() {
    Cancel();
}

bool TAtomicFile::Write(const char* data, size_t size) {
    return fd_ >= 0 && WriteAll(fd_, data, size);
}

bool TAtomicFile::Commit() {
    if (fd_ < 0) {
        return false;
    }
    const bool closed = ::close(fd_) == 0;
    fd_ = -1;
    if (!closed || ::rename(temp_.constData(), target_.constData()) != 0) {
        ::unlink(temp_.constData());
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

bool CopyFileAtomic(const QString& source, const QString& target,
                    const std::function<bool()>& keepGoing) {
    const int in = ::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        return false;
    }
    TAtomicFile out(target);
    const bool copied = out.IsOpen() && CopyContents(in, out.Handle(), keepGoing);
    ::close(in);
    return copied && out.Commit();
}
