#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

// Copies source to target through a temporary file in the target's folder that is renamed into
// place only when the whole copy succeeded: a failed copy leaves no partial file and leaves an
// existing target as it was. Returns false on any failure, and when keepGoing (asked between
// pieces) says to stop: then nothing is left either.
bool CopyFileAtomic(const QString& source, const QString& target,
                    const std::function<bool()>& keepGoing = {});

// A file written under a hidden temporary name beside its target and renamed into place only by
// Commit(); anything else (a failure, Cancel(), destruction) removes the temporary and leaves an
// existing target as it was. The new file takes the permissions of the one it replaces.
class TAtomicFile {
  public:
    explicit TAtomicFile(const QString& target);
    ~TAtomicFile();
    TAtomicFile(const TAtomicFile&) = delete;
    TAtomicFile& operator=(const TAtomicFile&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    int Handle() const { return fd_; }
    bool Write(const char* data, size_t size);
    bool Commit();
    void Cancel();

  private:
    QByteArray target_;
    QByteArray temp_;
    int fd_ = -1;
};
