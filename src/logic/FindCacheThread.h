#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "logic/Job.h"
#include "platform/UrlCacheStore.h"

// A row of the cache list.
struct TCacheRow {
    int index;          // running number within the scan, from 1
    QString name;       // file-name part of the local path
    quint64 size;       // bytes
    QString localPath;  // full local path
    QString address;    // where the movie came from, when known
    QString browser;    // whose cache held it, when known
};

// The row for an entry whose local file name ends in ".swf" (any case); found counts the rows
// listed before it.
std::optional<TCacheRow> ExamineEntry(const TUrlCacheEntry& entry, int found);

// Walks the URL cache once and hands every ".swf" row over as it is found.
class TFindCacheEntryThread : public TJob {
    Q_OBJECT
  public:
    // The entries of the cache, and the outcome of keeping the store's index.
    using Enumerate = std::function<std::vector<TUrlCacheEntry>(TOutcome* indexKept)>;

  signals:
    void RowFound(const TCacheRow& row);

  protected:
    explicit TFindCacheEntryThread(Enumerate enumerate, QObject* owner = nullptr);
    TOutcome Execute() override;

  private:
    Enumerate enumerate_;
};
