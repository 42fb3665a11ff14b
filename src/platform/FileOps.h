#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

#include "platform/Outcome.h"

// Writes all of data to fd, retrying short and interrupted writes; false with errno set.
bool WriteAll(int fd, const char* data, size_t size);

// Opens a new file in folder that has no name, so nothing is left of it whatever happens
// (O_TMPFILE, or a named file removed at once where the file system lacks it). -1 with errno set.
int OpenUnnamedFile(const QString& folder);

// Copies source to target through a temporary file in the target's folder that is renamed into
// place only when the whole copy succeeded: a failed copy leaves no partial file and leaves an
// existing target as it was. Fails with its reason, and when keepGoing (asked between pieces)
// says to stop: then nothing is left either.
TOutcome CopyFileAtomic(const QString& source, const QString& target,
                        const std::function<bool()>& keepGoing = {});

// Makes the folder relative (names joined by "/") inside root, one name at a time, never
// following a link on the way: a link, or a file where a folder is wanted, fails with the reason.
// So nothing saved there can land outside root, whatever the folder held before.
TOutcome MakeFolderInside(const QString& root, const QString& relative);

// A file written under a hidden temporary name beside its target and renamed into place only by
// Commit(); anything else (a failure, Cancel(), destruction) removes the temporary and leaves an
// existing target as it was. The new file takes the permissions of the one it replaces. After a
// failure, Error() says what went wrong.
class TAtomicFile {
  public:
    explicit TAtomicFile(const QString& target);
    ~TAtomicFile();
    TAtomicFile(const TAtomicFile&) = delete;
    TAtomicFile& operator=(const TAtomicFile&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    int Handle() const { return fd_; }
    const QString& Error() const { return error_; }
    bool Write(const char* data, size_t size);
    // Empties the file, to be written again from its start (a transfer tried once more).
    bool Rewind();
    // Renames the file into place. Replace::Never leaves a file that appeared under the name
    // meanwhile alone: the commit then fails and Taken() says why, and the caller may commit
    // to another name with CommitAs.
    enum class Replace { Always, Never };
    bool Commit(Replace replace = Replace::Always);
    bool CommitAs(const QString& target, Replace replace);
    bool Taken() const { return taken_; }
    void Cancel();
    // Records a failure of writing through Handle(): errno's text, for the target.
    void SetWriteError(int error);

  private:
    QString targetName_;
    QByteArray target_;
    QByteArray temp_;
    QString error_;
    int fd_ = -1;
    bool taken_ = false;
};
