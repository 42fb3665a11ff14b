#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "platform/UserFolders.h"

// The desktop browsers the program reads: where each keeps its profiles (with their session
// files) and its HTTP caches, natively, as a snap and as a flatpak. One table serves both the
// open-tabs reader and the cache scan.
enum class TBrowserFamily { Chromium, Firefox };

struct TBrowserInstall {
    QString browser;  // its name, for telling the user: "Chromium", "Firefox" …
    TBrowserFamily family;
    QStringList profileRoots;  // folders holding its profiles
    QString cacheRoot;         // the folder mirroring the profiles under the cache home
};

// Every place a browser of the family may keep its files, in the table's fixed order.
std::vector<TBrowserInstall> BrowserInstalls(const TUserFolders& folders, TBrowserFamily family);

// The profile folders of a root: Firefox's from its profiles.ini (the installs' default profiles
// first), Chromium's every subfolder.
QStringList ProfileFolders(TBrowserFamily family, const QString& root);
QStringList FirefoxProfileFolders(const QString& root);

// A folder of browser cache entries: Chromium's simple cache or Firefox's cache2 "entries".
struct TCacheFolder {
    TBrowserFamily kind;
    QString path;
    QString browser;  // whose cache it is
};

// The cache folders to look in, in order: the embedded browser's (embeddedCache is its profile's
// cache path), then every profile of the Chromium-family and Firefox-family browsers, native,
// snap and flatpak. Only folders that exist are given.
std::vector<TCacheFolder> BrowserCacheFolders(const TUserFolders& folders,
                                              const QString& embeddedCache);

// A profile's Chromium cache folder: "Cache/Cache_Data", or "Cache" itself in older builds.
QString ChromiumCacheFolder(const QString& profile);

// Where the window's browser keeps its profile's cache.
QString EmbeddedBrowserCache(const TUserFolders& folders);

// The name the embedded browser's cache goes by.
inline const char* const kEmbeddedBrowser = "Vimbrel's browser";
