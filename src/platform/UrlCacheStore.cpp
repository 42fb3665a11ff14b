#include "platform/UrlCacheStore.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

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
