#include "platform/UrlCacheStore.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QScopeGuard>
#include <QUrl>
#include <algorithm>

#include "platform/UserFolders.h"

namespace {
const char* const kIndexName = ".index";
const char* const kLockName = ".lock";
constexpr int kSaveEvery = 64;  // records a scan may keep in memory before the index is written
constexpr int kMaxStem = 120;

QByteArray Field(const QString& text) {
    return QUrl::toPercentEncoding(text);
}
QString Unfield(const QByteArray& field) {
    return QUrl::fromPercentEncoding(field);
}
}  // namespace

QString UrlCacheStoreFolder() {
    return ProgramFolders().cacheHome + "/vimbrel/store";
}

QString WithoutQuery(const QString& address) {
    QString path = address;
    for (const char end : {'#', '?'}) {
        const int at = path.indexOf(end);
        if (at >= 0) {
            path.truncate(at);
        }
    }
    return path;
}

QString StoreStem(const QString& address) {
    QString path = WithoutQuery(address);
    const int scheme = path.indexOf("://");
    if (scheme >= 0) {
        const int slash = path.indexOf('/', scheme + 3);
        path = slash >= 0 ? path.mid(slash) : QString();
    }
    QString name = path.mid(path.lastIndexOf('/') + 1);
    const int dot = name.lastIndexOf('.');
    if (dot >= 0) {
        name.truncate(dot);
    }
    name.replace(QChar('\0'), '_');
    name = name.left(kMaxStem);
    return name.isEmpty() || name.startsWith('.') ? "movie" + name : name;
}

TUrlCacheStore::TUrlCacheStore(QString folder) : folder_(std::move(folder)) {}

TUrlCacheStore& TUrlCacheStore::Shared() {
    static TUrlCacheStore store(UrlCacheStoreFolder());
    return store;
}

void TUrlCacheStore::Load() {
    if (!loaded_) {
        loaded_ = true;
        Merge();
    }
}

void TUrlCacheStore::Merge() {
    QFile index(folder_ + "/" + kIndexName);
    if (!index.open(QIODevice::ReadOnly)) {
        return;
    }
    for (const QByteArray& line : index.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() != 3 || fields[0].isEmpty()) {
            continue;
        }
        Item item{Unfield(fields[0]), Unfield(fields[1]),
                  Unfield(fields[2]).split('\n', Qt::SkipEmptyParts)};
        // A file another process stored is added; one this process has only reserved becomes
        // the other's, and this process names its movie anew when it stores it.
        const auto mine = byFile_.find(item.file);
        if (mine == byFile_.end()) {
            Add(std::move(item));
        } else if (items_[static_cast<size_t>(*mine)].origins.isEmpty() &&
                   !item.origins.isEmpty()) {
            Item& reserved = items_[static_cast<size_t>(*mine)];
            byAddress_.remove(reserved.address);
            reserved = item;
            byAddress_.insert(item.address, *mine);
            for (const QString& origin : item.origins) {
                byOrigin_.insert(origin, *mine);
            }
        }
    }
}

void TUrlCacheStore::Add(Item item) {
    const int at = static_cast<int>(items_.size());
    byAddress_.insert(item.address, at);
    byFile_.insert(item.file, at);
    for (const QString& origin : item.origins) {
        byOrigin_.insert(origin, at);
    }
    items_.push_back(std::move(item));
}

TOutcome TUrlCacheStore::Save() {
    QDir().mkpath(folder_);
    // Other processes keep this store too: under the lock, what they wrote meanwhile is read
    // in before the index is written again, so no one's record is lost.
    const int lock = ::open(QFile::encodeName(folder_ + "/" + kLockName).constData(),
                            O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    const auto unlock = qScopeGuard([lock] {
        if (lock >= 0) {
            ::close(lock);  // lets the lock go
        }
    });
    if (lock < 0 || ::flock(lock, LOCK_EX) != 0) {
        return TOutcome::Failed("cannot lock the store index: " + ErrnoText(errno));
    }
    Merge();
    QSaveFile index(folder_ + "/" + kIndexName);
    if (!index.open(QIODevice::WriteOnly)) {
        return TOutcome::Failed("cannot write the store index: " + index.errorString());
    }
    for (const Item& item : items_) {
        if (item.origins.isEmpty()) {
            continue;  // reserved, not written yet
        }
        index.write(Field(item.file) + '\t' + Field(item.address) + '\t' +
                    Field(item.origins.join('\n')) + '\n');
    }
    if (!index.commit()) {
        return TOutcome::Failed("cannot write the store index: " + index.errorString());
    }
    unsaved_ = 0;
    return TOutcome::Done();
}

int TUrlCacheStore::ItemFor(const QString& address) {
    Load();
    if (const auto it = byAddress_.find(address); it != byAddress_.end()) {
        return *it;
    }
    // The name is reserved at once, so that two fetches under way never share a file.
    const QString stem = StoreStem(address);
    for (int k = 1;; ++k) {
        const QString name = QString("%1[%2].swf").arg(stem).arg(k);
        if (!byFile_.contains(name) && !QFileInfo::exists(folder_ + "/" + name)) {
            Add({name, address, {}});
            return static_cast<int>(items_.size()) - 1;
        }
    }
}

QString TUrlCacheStore::PathFor(const QString& address) {
    std::lock_guard<std::mutex> lock(mutex_);
    return folder_ + "/" + items_[static_cast<size_t>(ItemFor(address))].file;
}

QString TUrlCacheStore::PathElsewhere(const QString& address) {
    std::lock_guard<std::mutex> lock(mutex_);
    byAddress_.remove(address);  // its name stays taken
    return folder_ + "/" + items_[static_cast<size_t>(ItemFor(address))].file;
}

TOutcome TUrlCacheStore::Record(const QString& address, const QString& origin, Writing writing) {
    std::lock_guard<std::mutex> lock(mutex_);
    const int at = ItemFor(address);
    if (byOrigin_.contains(origin)) {
        return TOutcome::Done();
    }
    // A cache file that changed replaces what it gave before.
    QStringList& origins = items_[static_cast<size_t>(at)].origins;
    const QString source = origin.section('|', 0, 0) + '|';
    for (const QString& old : origins) {
        if (old.startsWith(source)) {
            byOrigin_.remove(old);
        }
    }
    origins.erase(std::remove_if(origins.begin(), origins.end(),
                                 [&](const QString& old) { return old.startsWith(source); }),
                  origins.end());
    origins << origin;
    byOrigin_.insert(origin, at);
    if (writing == Writing::Now || ++unsaved_ >= kSaveEvery) {
        return Save();
    }
    return TOutcome::Done();
}

TOutcome TUrlCacheStore::Flush() {
    std::lock_guard<std::mutex> lock(mutex_);
    return unsaved_ > 0 ? Save() : TOutcome::Done();
}

QString TUrlCacheStore::PathFromOrigin(const QString& origin, QString* address) {
    std::lock_guard<std::mutex> lock(mutex_);
    Load();
    const auto it = byOrigin_.find(origin);
    if (it == byOrigin_.end()) {
        return QString();
    }
    const Item& item = items_[static_cast<size_t>(*it)];
    const QString path = folder_ + "/" + item.file;
    if (!QFileInfo::exists(path)) {
        return QString();
    }
    if (address) {
        *address = item.address;
    }
    return path;
}

std::vector<TUrlCacheStore::Item> TUrlCacheStore::Items() {
    std::lock_guard<std::mutex> lock(mutex_);
    Load();
    std::vector<Item> present;
    for (const Item& item : items_) {
        if (!item.origins.isEmpty() && QFileInfo::exists(folder_ + "/" + item.file)) {
            present.push_back(item);
        }
    }
    return present;
}
