#include "platform/UrlCacheStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>
#include <algorithm>

namespace {
const char* const kIndexName = ".index";
constexpr int kMaxStem = 120;

QByteArray Field(const QString& text) {
    return QUrl::toPercentEncoding(text);
}
QString Unfield(const QByteArray& field) {
    return QUrl::fromPercentEncoding(field);
}
}  // namespace

QString UrlCacheStoreFolder() {
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    return cache + "/vimbrel/store";
}

std::vector<UrlCacheEntry> EnumerateStore(const QString& folder) {
    std::vector<UrlCacheEntry> entries;
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files, QDir::Unsorted);
    for (const QFileInfo& f : files) {
        entries.push_back({f.absoluteFilePath(), static_cast<quint64>(f.size())});
    }
    return entries;
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
    if (loaded_) {
        return;
    }
    loaded_ = true;
    QFile index(folder_ + "/" + kIndexName);
    if (!index.open(QIODevice::ReadOnly)) {
        return;
    }
    for (const QByteArray& line : index.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() == 3 && !fields[0].isEmpty()) {
            items_.push_back(
                {Unfield(fields[0]), Unfield(fields[1]), Unfield(fields[2]).split('\n')});
        }
    }
}

void TUrlCacheStore::Save() {
    QDir().mkpath(folder_);
    QSaveFile index(folder_ + "/" + kIndexName);
    if (!index.open(QIODevice::WriteOnly)) {
        return;
    }
    for (const Item& item : items_) {
        index.write(Field(item.file) + '\t' + Field(item.address) + '\t' +
                    Field(item.origins.join('\n')) + '\n');
    }
    index.commit();
}

QString TUrlCacheStore::PathFor(const QString& address) {
    std::lock_guard<std::mutex> lock(mutex_);
    return PathForLocked(address);
}

QString TUrlCacheStore::PathForLocked(const QString& address) {
    Load();
    for (const Item& item : items_) {
        if (item.address == address) {
            return folder_ + "/" + item.file;
        }
    }
    const QString stem = StoreStem(address);
    for (int k = 1;; ++k) {
        const QString name = QString("%1[%2].swf").arg(stem).arg(k);
        const bool taken = std::any_of(items_.begin(), items_.end(),
                                       [&](const Item& item) { return item.file == name; });
        if (!taken && !QFileInfo::exists(folder_ + "/" + name)) {
            return folder_ + "/" + name;
        }
    }
}

void TUrlCacheStore::Record(const QString& address, const QString& path, const QString& origin) {
    std::lock_guard<std::mutex> lock(mutex_);
    Load();
    for (Item& item : items_) {
        if (item.address == address) {
            if (!item.origins.contains(origin)) {
                item.origins << origin;
                Save();
            }
            return;
        }
    }
    items_.push_back({QFileInfo(path).fileName(), address, {origin}});
    Save();
}

QString TUrlCacheStore::PathFromOrigin(const QString& origin) {
    std::lock_guard<std::mutex> lock(mutex_);
    Load();
    for (const Item& item : items_) {
        const QString path = folder_ + "/" + item.file;
        if (item.origins.contains(origin) && QFileInfo::exists(path)) {
            return path;
        }
    }
    return QString();
}

std::vector<TUrlCacheStore::Item> TUrlCacheStore::Items() {
    std::lock_guard<std::mutex> lock(mutex_);
    Load();
    std::vector<Item> present;
    for (const Item& item : items_) {
        if (QFileInfo::exists(folder_ + "/" + item.file)) {
            present.push_back(item);
        }
    }
    return present;
}
