#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <optional>

#include "platform/Outcome.h"

// A movie saved into a folder: its address, its file (a name within the folder), size, SHA-256.
struct TSavedEntry {
    QString address;
    QString file;
    qint64 size = 0;
    QByteArray sha256;  // hex
};

// The record a folder keeps of the movies saved into it, so a batch run again passes over what
// an earlier run saved: one JSON line an entry in kFileName, each appended whole in one write
// under a lock, so several processes saving into the folder keep one record. A line cut short
// (a process killed while writing it) is passed over.
class TSavedIndex {
  public:
    static constexpr const char* kFileName = ".vimbrel-saved.jsonl";

    // folder ends in "/". Reads what the folder has recorded so far.
    explicit TSavedIndex(QString folder);

    // The latest entry for address whose file is still in the folder with the recorded size.
    std::optional<TSavedEntry> Find(const QString& address) const;
    // Adds an entry for a file saved into the folder (a full path within it, or a name).
    TOutcome Record(const QString& address, const QString& file, qint64 size,
                    const QByteArray& sha256);

  private:
    const QString folder_;
    QHash<QString, TSavedEntry> entries_;
};
