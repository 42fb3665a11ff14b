#include "support/EveryCacheSource.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWebEngineProfile>

#include "TestUtil.h"
#include "app/MainFrm.h"
#include "platform/CacheEntryReaders.h"
#include "platform/UrlCacheStore.h"
#include "support/ListRows.h"
#include "support/RealBrowserCaches.h"
#include "web/WebBrowser.h"

int OwnCacheEntries(const QString& text) {
    int count = 0;
    const QString folder = BrowserProfile()->cachePath() + "/Cache/Cache_Data";
    for (const QFileInfo& f : QDir(folder).entryInfoList({"*_0"}, QDir::Files)) {
        QFile file(f.absoluteFilePath());
        if (file.open(QIODevice::ReadOnly)) {
            const auto response = ReadSimpleCacheEntry(file);
            count += response && response->url.contains(text) ? 1 : 0;
        }
    }
    return count;
}

bool FillEveryCacheSource(TMainFrm& frm, MovieServer& server, const QString& cacheHome) {
    {
        QTemporaryDir browsers;
        RunChromium(browsers.filePath("chromium"), server.Page("chr-"));
        const int byChromium = server.Served();
        RunFirefox(browsers.filePath("firefox"), server.Page("ff-"),
                   [&] { return server.Served() >= byChromium + 3; });
        CopyFolderFiles(browsers.filePath("chromium/Default/Cache/Cache_Data"),
                        cacheHome + "/chromium/Default/Cache/Cache_Data");
        CopyFolderFiles(browsers.filePath("firefox/cache2/entries"),
                        cacheHome + "/mozilla/firefox/x.default/cache2/entries");
    }
    frm.WebBrowser1->Navigate(server.Page("own-"));
    // The page has read every body, and the engine writes its entries a little later on its own
    // threads.
    if (!WaitUntil([&] { return frm.WebBrowser1->title() == "done"; }, 30000) ||
        !WaitUntil([] { return OwnCacheEntries("/own-") == 3; }, 30000)) {
        return false;
    }
    ListMovies(frm, {server.Page().section('/', 0, 2) + "/prev-a.swf"});
    SelectRow(frm.ListView1, 0);
    return WaitUntil(
        [] {
            const auto items = TUrlCacheStore::Shared().Items();
            return !items.empty() && items.front().origins.contains("preview");
        },
        30000);
}
