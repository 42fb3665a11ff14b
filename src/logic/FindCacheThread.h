#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "logic/WorkerThread.h"
#include "platform/UrlCacheStore.h"

// A row of the cache list.
struct CacheRow {
    int index;          // running number within the scan, from 1
    QString name;       // file-name part of the local path
    QString size;       // low 32 bits of the size, unsigned decimal
    QString localPath;  // full local path
};

// The text after the last "/" of a local path.
QString FileNamePart(const QString& localPath);

// The row for an entry whose local file name ends in ".swf" (any case); found counts the rows
// listed before it.
std::optional<CacheRow> ExamineEntry(const UrlCacheEntry& entry, int found);

// Walks the URL cache once on its own thread and hands every ".swf" row to the user-interface
// thread as it is found.
class TFindCacheEntryThread final : public TWorkerThread {
  public:
    using Enumerate = std::function<std::vector<UrlCacheEntry>()>;
    using AppendRow = std::function<void(const CacheRow&)>;

    TFindCacheEntryThread(Enumerate enumerate, AppendRow appendRow, Completion onCompletion,
                          QObject* context = nullptr);

  protected:
    void Execute() override;

  private:
    Enumerate enumerate_;
    AppendRow appendRow_;
};
