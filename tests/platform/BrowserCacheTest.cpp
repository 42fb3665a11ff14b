#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include "TestUtil.h"
#include "platform/UrlCache.h"
#include "support/Codings.h"
#include "support/Files.h"
#include "support/RealBrowserCaches.h"
#include "support/SimpleCacheWriter.h"

namespace {
class BrowserCacheTest : public ::testing::Test {
  protected:
    // Real browsers fill real caches once for the whole suite.
    static void SetUpTestSuite() {
        caches = new QTemporaryDir;
        MovieServer server;
        RunChromium(caches->filePath("chromium"), server.Page());
        const int byChromium = server.Served();
        RunFirefox(caches->filePath("firefox"), server.Page(),
                   [&] { return server.Served() >= byChromium + 3; });
    }
    static void TearDownTestSuite() { delete caches; }

    // A home whose browser caches are copies of the real ones.
    void SetUp() override {
        CopyFolderFiles(caches->filePath("chromium/Default/Cache/Cache_Data"),
                        home.filePath(".cache/chromium/Default/Cache/Cache_Data"));
        CopyFolderFiles(caches->filePath("firefox/cache2/entries"),
                        home.filePath(".cache/mozilla/firefox/t.default/cache2/entries"));
    }
    std::vector<TCacheFolder> Folders() {
        return BrowserCacheFolders(UserFoldersUnder(home.path()), home.filePath("no-embedded"));
    }
    QStringList Names(const std::vector<TUrlCacheEntry>& entries) {
        QStringList out;
        for (const auto& e : entries) {
            out << QFileInfo(e.localFileName).fileName();
        }
        return out;
    }

    static QTemporaryDir* caches;
    const ServedMovies movies = TestMovies();
    QTemporaryDir home;
    TUrlCacheStore store{home.filePath("store")};
};
QTemporaryDir* BrowserCacheTest::caches = nullptr;
}  // namespace

TEST_F(BrowserCacheTest, EachMovieOfBothBrowsersIsListedOnceAsItWasServed) {
    const auto folders = Folders();
    ASSERT_EQ(folders.size(), 2u);
    EXPECT_EQ(folders[0].kind, TBrowserFamily::Chromium);
    EXPECT_EQ(folders[1].kind, TBrowserFamily::Firefox);

    // The browsers' folders are only read.
    auto state = [&] {
        QStringList files;
        for (const TCacheFolder& folder : folders) {
            for (const QFileInfo& f : QDir(folder.path).entryInfoList(QDir::Files, QDir::Name)) {
                files << f.fileName() + QString::number(f.size()) +
                             f.lastModified().toString(Qt::ISODateWithMs);
            }
        }
        return files;
    };
    const QStringList before = state();
    const auto entries = EnumerateUrlCache(store, folders);
    EXPECT_EQ(state(), before);
    QStringList names = Names(entries);
    names.sort();
    EXPECT_EQ(names, QStringList({"a[1].swf", "get[1].swf", "z[1].swf"}));
    EXPECT_EQ(ReadAll(store.Folder() + "/a[1].swf"), movies.a);
    EXPECT_EQ(ReadAll(store.Folder() + "/get[1].swf"), movies.get);
    EXPECT_EQ(ReadAll(store.Folder() + "/z[1].swf"), movies.zipped);

    // A second scan copies nothing again and lists the same files.
    const QDateTime written = QFileInfo(store.Folder() + "/a[1].swf").lastModified();
    QThread::msleep(20);
    EXPECT_EQ(Names(EnumerateUrlCache(store, folders)), Names(entries));
    EXPECT_EQ(QFileInfo(store.Folder() + "/a[1].swf").lastModified(), written);
}

TEST_F(BrowserCacheTest, DamagedEntriesAreSkippedAndTheRestListed) {
    // Only Chromium's cache, each entry damaged in one way but one.
    QDir(home.filePath(".cache/mozilla")).removeRecursively();
    const QString folder = home.filePath(".cache/chromium/Default/Cache/Cache_Data");
    int damaged = 0;
    for (const QFileInfo& f : QDir(folder).entryInfoList({"*_0"}, QDir::Files)) {
        QByteArray bytes = ReadAll(f.absoluteFilePath());
        if (!bytes.contains("a.swf") || !bytes.contains("FWS")) {
            switch (damaged++ % 3) {
                case 0:
                    bytes.truncate(bytes.size() / 2);
                    break;  // cut short
                case 1:
                    bytes[bytes.size() - 20] = '\x55';
                    break;  // trailer flipped
                default:
                    bytes.clear();  // empty
            }
            ASSERT_TRUE(WriteFile(f.absoluteFilePath(), bytes));
        }
    }
    EXPECT_GE(damaged, 2);
    EXPECT_EQ(Names(EnumerateUrlCache(store, Folders())), QStringList({"a[1].swf"}));
}

// Only a whole 200 answer holds a whole movie: a range (206) or a revalidation (304) never does.
TEST_F(BrowserCacheTest, OnlyWholeAnswersAreListed) {
    QDir(home.filePath(".cache/mozilla")).removeRecursively();
    const QString folder = home.filePath(".cache/chromium/Default/Cache/Cache_Data");
    QDir(folder).removeRecursively();
    const QByteArray movie = "FWS" + QByteArray(500, 'm');
    const struct {
        const char* name;
        QByteArray statusLine;
    } entries[] = {{"whole", "HTTP/1.1 200 OK"},
                   {"range", "HTTP/1.1 206 Partial Content"},
                   {"revalidated", "HTTP/1.1 304 Not Modified"}};
    int n = 0;
    for (const auto& e : entries) {
        const QByteArray url = QByteArray("http://h/") + e.name + ".swf";
        ASSERT_TRUE(WriteSimpleCacheEntry(
            QString("%1/%2_0").arg(folder).arg(++n, 16, 16, QChar('0')),
            "1/0/_dk_http://h http://h " + url,
            RawHeaders("application/x-shockwave-flash", movie.size(), e.statusLine), movie));
    }
    EXPECT_EQ(Names(EnumerateUrlCache(store, Folders())), QStringList({"whole[1].swf"}));
}

// A hostile cache folder costs the scan only the movies it really holds: an entry whose small
// body declares a huge movie, and coded entries that are no movies, add nothing to the store.
TEST_F(BrowserCacheTest, AHostileCacheAddsOnlyTheMoviesItHolds) {
    QDir(home.filePath(".cache/mozilla")).removeRecursively();
    const QString folder = home.filePath(".cache/chromium/Default/Cache/Cache_Data");
    QDir(folder).removeRecursively();
    auto declaring = [](quint32 length) {
        QByteArray header("FWS\x0A", 4);
        header.append(reinterpret_cast<const char*>(&length), 4);
        return header;
    };
    const struct {
        const char* name;
        QByteArray body;  // gzip-coded
    } entries[] = {
        {"bomb.swf", GzipOfZeros(declaring(255 << 20), (255 << 20) - 8)},
        {"script.js", GzipOfZeros("var x = 1;", 8 << 20)},
        {"real.swf", Deflate(declaring(600) + QByteArray(592, 'm'), 31)},
    };
    int n = 0;
    for (const auto& e : entries) {
        const QByteArray url = QByteArray("http://h/") + e.name;
        const QByteArray headers =
            "HTTP/1.1 200 OK" + QByteArray(1, '\0') + "Content-Encoding: gzip" + '\0' +
            "Content-Length: " + QByteArray::number(e.body.size()) + '\0' + '\0';
        ASSERT_TRUE(
            WriteSimpleCacheEntry(QString("%1/%2_0").arg(folder).arg(++n, 16, 16, QChar('0')),
                                  "1/0/_dk_http://h http://h " + url, headers, e.body));
    }
    EXPECT_EQ(Names(EnumerateUrlCache(store, Folders())), QStringList({"real[1].swf"}));
    qint64 stored = 0;
    for (const QFileInfo& f : QDir(store.Folder()).entryInfoList(QDir::Files | QDir::Hidden)) {
        stored += f.size();
    }
    EXPECT_LT(stored, 64 * 1024);
}
