#pragma once

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "platform/BrowserFolders.h"
#include "platform/CachedResponse.h"
#include "platform/UrlCacheStore.h"

class QIODevice;

// The URL cache as the cache scan walks it: the movies the preview fetched into the store, then
// the movies of each browser cache folder, copied into the store (bodies decoded) unless copied
// before, then any other file of the store; each store file once. Browser folders are only read.
// A failure to keep the store's index is set in indexKept.
std::vector<TUrlCacheEntry> EnumerateUrlCache(TUrlCacheStore& store,
                                              const std::vector<TCacheFolder>& folders,
                                              TOutcome* indexKept = nullptr);

// The name the movies the preview fetched go by in the cache list.
inline const char* const kPreviewSource = "Vimbrel's preview";

// The decoded body of a cached response when it is a whole Flash movie (see below); nothing for
// any other response, or one cut short or damaged.
std::optional<QByteArray> ReadMovieBody(QIODevice& file, const TCachedResponse& response);

// Which of the addresses a Chromium cache folder holds as Flash movies; seen gets every one of
// them it holds whole, movie or not.
QStringList MovieResponsesAmong(const QString& folder, const QStringList& urls, QStringList* seen);

// The decoded bodies of the whole answers a Chromium cache folder holds for these addresses (the
// scripts a page fetched, say); an answer decoding to more than kMaxDecodedBody is left out.
QHash<QString, QByteArray> CachedBodies(const QString& folder, const QSet<QString>& urls);

// Whether a cached response is a Flash movie: its address names a ".swf" file, its type is
// Flash's, or its (decoded) body starts with a movie signature.
bool IsMovieAddress(const QString& address);
bool IsFlashType(const QByteArray& contentType);
bool HasMovieSignature(const QByteArray& body);
// Whether the file at path begins as a Flash movie does.
bool IsMovieFile(const QString& path);
