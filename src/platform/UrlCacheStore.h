#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <mutex>
#include <vector>

#include "platform/Outcome.h"

// One entry of the URL cache as the cache scan sees it.
struct TUrlCacheEntry {
    QString localFileName;  // full path of the cached copy
    quint64 size = 0;       // bytes
    QString address;        // where the movie came from, when known
    QString browser;        // whose cache held it, when known
};

// The folder of Vimbrel's own URL cache store: plain files named after their addresses.
QString UrlCacheStoreFolder();

// The address without its query and fragment.
QString WithoutQuery(const QString& address);

// The store's file name for an address: the address's file name with ".swf" (the name's own
// extension is replaced, "get.php?id=7" gives "get"), numbered: "name[1].swf".
QString StoreStem(const QString& address);

// The program's store of movies: every file named after its address (name[1].swf; another address
// with the same name gets name[2].swf; the same address keeps its own file), with an index of the
// address and the origin of each file ("preview", or the browser cache entry it was copied from).
// Safe to use from several threads, and from several processes at once: every file is named once,
// and no process loses another's records.
class TUrlCacheStore {
  public:
    struct Item {
        QString file;  // name inside the folder
        QString address;
        QStringList origins;  // "preview", or the cache entries it was copied from
    };

    explicit TUrlCacheStore(QString folder);
    // The program's own store under the user's cache folder.
    static TUrlCacheStore& Shared();

    const QString& Folder() const { return folder_; }
    // The full path that holds, or will hold, the movie of address; a new name is reserved.
    QString PathFor(const QString& address);
    // Another process took the name PathFor gave: a new one for address.
    QString PathElsewhere(const QString& address);
    // Notes that the file of address now holds its movie, taken from origin ("preview", or
    // "cache file|size|modified"); a newer origin of the same cache file replaces the older.
    // A scan may write the index in batches (Flush at its end); other records are written now.
    // A failure to write the index is returned; the record stays in memory.
    enum class Writing { Now, Batched };
    TOutcome Record(const QString& address, const QString& origin, Writing writing = Writing::Now);
    TOutcome Flush();
    // The path of the file copied from origin, when there is one on disk; address gets the
    // address it holds.
    QString PathFromOrigin(const QString& origin, QString* address = nullptr);
    // Every item stored whose file exists, in the order they were first stored.
    std::vector<Item> Items();

  private:
    void Load();
    // Reads the index on disk in, adding the files other processes stored.
    void Merge();
    void Add(Item item);
    int ItemFor(const QString& address);
    TOutcome Save();

    const QString folder_;
    std::mutex mutex_;
    bool loaded_ = false;
    int unsaved_ = 0;
    std::vector<Item> items_;
    QHash<QString, int> byAddress_;  // address -> item
    QHash<QString, int> byOrigin_;   // origin -> item
    QHash<QString, int> byFile_;     // name in use -> item
};
