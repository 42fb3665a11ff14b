#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "platform/CachedResponse.h"
#include "platform/UrlCacheStore.h"

class QIODevice;

// A folder of browser cache entries: Chromium's simple cache or Firefox's cache2 "entries".
struct CacheFolder {
    enum Kind { Chromium, Firefox } kind;
    QString path;
};

// The cache folders to look in, in order: the embedded browser's (embeddedCache is its profile's
// cache path), then every profile of the Chromium-family and Firefox-family browsers, native,
// snap and flatpak. Only folders that exist are given.
std::vector<CacheFolder> BrowserCacheFolders(const QString& home, const QString& cacheHome,
                                             const QString& configHome,
                                             const QString& embeddedCache);

// The URL cache as the cache scan walks it: the movies the preview fetched into the store, then
// the movies of each browser cache folder, copied into the store (bodies decoded) unless copied
// before, then any other file of the store; each store file once. Browser folders are only read.
std::vector<UrlCacheEntry> EnumerateUrlCache(TUrlCacheStore& store,
                                             const std::vector<CacheFolder>& folders);

// A profile's Chromium cache folder: "Cache/Cache_Data", or "Cache" itself in older builds.
QString ChromiumCacheFolder(const QString& profile);

// The decoded body of a cached response when it is a whole Flash movie (see below); nothing for
// any other response, or one cut short or damaged.
std::optional<QByteArray> ReadMovieBody(QIODevice& file, const CachedResponse& response);

// Which of the addresses a Chromium cache folder holds as Flash movies; seen gets every one of
// them it holds whole, movie or not.
QStringList MovieResponsesAmong(const QString& folder, const QStringList& urls, QStringList* seen);

// Whether a cached response is a Flash movie: its address names a ".swf" file, its type is
// Flash's, or its (decoded) body starts with a movie signature.
bool IsMovieAddress(const QString& address);
bool IsFlashType(const QByteArray& contentType);
bool HasMovieSignature(const QByteArray& body);
