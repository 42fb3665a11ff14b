#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <map>
#include <mutex>
#include <vector>

// One entry of the URL cache as the cache scan sees it.
struct UrlCacheEntry {
    QString localFileName;  // full path of the cached copy
    quint64 size = 0;       // bytes
};

// The folder of Vimbrel's own URL cache store: plain files named after their addresses.
QString UrlCacheStoreFolder();

// The files of a store folder, in directory order; an unreadable folder gives none.
std::vector<UrlCacheEntry> EnumerateStore(const QString& folder);

// The address without its query and fragment.
QString WithoutQuery(const QString& address);

// The store's file name for an address: the address's file name with ".swf" (the name's own
// extension is replaced, "get.php?id=7" gives "get"), numbered: "name[1].swf".
QString StoreStem(const QString& address);

// The program's store of movies: every file named after its address (name[1].swf; another address
// with the same name gets name[2].swf; the same address keeps its own file), with an index of the
// address and the origin of each file ("preview", or the browser cache entry it was copied from).
// Safe to use from several threads.
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
    // The full path that holds, or will hold, the movie of address.
    QString PathFor(const QString& address);
    // Notes that path, given by PathFor, now holds the movie of address, taken from origin.
    void Record(const QString& address, const QString& path, const QString& origin);
    // The path of the file copied from origin, when there is one on disk.
    QString PathFromOrigin(const QString& origin);
    // Every item whose file exists, in the order they were first stored.
    std::vector<Item> Items();

  private:
    void Load();
    QString PathForLocked(const QString& address);
    void Save();

    const QString folder_;
    std::mutex mutex_;
    bool loaded_ = false;
    std::vector<Item> items_;
};
