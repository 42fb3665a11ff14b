#pragma once

#include <QString>
#include <QtGlobal>
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
