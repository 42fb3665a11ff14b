#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>
#include <zlib.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <thread>

#include "TestUtil.h"
#include "platform/UrlCache.h"
#include "support/Files.h"
#include "support/TestSwf.h"

namespace {
QByteArray Gzip(const QByteArray& data) {
    z_stream s{};
    deflateInit2(&s, 9, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(static_cast<int>(deflateBound(&s, static_cast<uLong>(data.size()))), '\0');
    s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    s.avail_in = static_cast<uInt>(data.size());
    s.next_out = reinterpret_cast<Bytef*>(out.data());
    s.avail_out = static_cast<uInt>(out.size());
    deflate(&s, Z_FINISH);
    out.truncate(static_cast<int>(s.total_out));
    deflateEnd(&s);
    return out;
}

// Three movies as browsers meet them: named by their address, named only by their type, and
// sent gzip-encoded.
struct Movies {
    QByteArray a = SolidColourSwf(QColor(200, 30, 40));
    QByteArray get = SolidColourSwf(QColor(20, 160, 40));
    QByteArray zipped = SolidColourSwf(QColor(20, 60, 220));
};

class BrowserCacheTest : public ::testing::Test {
  protected:
    // Real browsers fill real caches once for the whole suite.
    static void SetUpTestSuite() {
        movies = new Movies;
        caches = new QTemporaryDir;
        httplib::Server server;
        int served = 0;
        std::mutex m;
        auto count = [&] {
            std::lock_guard<std::mutex> l(m);
            ++served;
        };
        server.Get("/page.html", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(
                "<script>Promise.all(['a.swf', 'get.php?id=7', 'z.swf'].map((u) => "
                "fetch(u).then((r) => r.arrayBuffer()))).then(() => document.title = "
                "'done');</script>",
                "text/html");
        });
        auto movie = [&](const QByteArray& body, const char* type, bool gzip) {
            return [&, body, type, gzip](const httplib::Request&, httplib::Response& res) {
                res.set_header("Cache-Control", "max-age=3600");
                if (gzip) {
                    res.set_header("Content-Encoding", "gzip");
                }
                const QByteArray sent = gzip ? Gzip(body) : body;
                res.set_content(sent.toStdString(), type);
                count();
            };
        };
        server.Get("/a.swf", movie(movies->a, "application/octet-stream", false));
        server.Get("/get.php", movie(movies->get, "application/x-shockwave-flash", false));
        server.Get("/z.swf", movie(movies->zipped, "application/octet-stream", true));
        const int port = server.bind_to_any_port("127.0.0.1");
        std::thread thread([&] { server.listen_after_bind(); });
        base = QString("http://127.0.0.1:%1/").arg(port);

        const QString chromium = caches->filePath("chromium");
        QProcess::execute("chromium",
                          {"--headless=new", "--no-sandbox", "--user-data-dir=" + chromium,
                           "--virtual-time-budget=5000", "--dump-dom", base + "page.html"});
        served = 0;
        const QString firefox = caches->filePath("firefox");
        QDir().mkpath(firefox);
        QProcess ff;
        ff.start("firefox-esr",
                 {"--headless", "--no-remote", "--profile", firefox, base + "page.html"});
        WaitUntil(
            [&] {
                std::lock_guard<std::mutex> l(m);
                return served >= 3;
            },
            60000);
        QThread::sleep(2);  // lets it write its entries
        ::kill(static_cast<pid_t>(ff.processId()), SIGTERM);
        ff.waitForFinished(20000);
        server.stop();
        thread.join();
    }
    static void TearDownTestSuite() {
        delete caches;
        delete movies;
    }

    // A home whose browser caches are copies of the real ones.
    void SetUp() override {
        Copy(caches->filePath("chromium/Default/Cache/Cache_Data"),
             home.filePath(".cache/chromium/Default/Cache/Cache_Data"));
        Copy(caches->filePath("firefox/cache2/entries"),
             home.filePath(".cache/mozilla/firefox/t.default/cache2/entries"));
    }
    static void Copy(const QString& from, const QString& to) {
        QDir().mkpath(to);
        for (const QFileInfo& f : QDir(from).entryInfoList(QDir::Files)) {
            QFile::copy(f.absoluteFilePath(), to + "/" + f.fileName());
        }
    }
    std::vector<CacheFolder> Folders() {
        return BrowserCacheFolders(home.path(), home.filePath(".cache"), home.filePath(".config"),
                                   home.filePath("no-embedded"));
    }
    QStringList Names(const std::vector<UrlCacheEntry>& entries) {
        QStringList out;
        for (const auto& e : entries) {
            out << QFileInfo(e.localFileName).fileName();
        }
        return out;
    }

    static Movies* movies;
    static QTemporaryDir* caches;
    static QString base;
    QTemporaryDir home;
    TUrlCacheStore store{home.filePath("store")};
};
Movies* BrowserCacheTest::movies = nullptr;
QTemporaryDir* BrowserCacheTest::caches = nullptr;
QString BrowserCacheTest::base;
}  // namespace

TEST_F(BrowserCacheTest, EachMovieOfBothBrowsersIsListedOnceAsItWasServed) {
    const auto folders = Folders();
    ASSERT_EQ(folders.size(), 2u);
    EXPECT_EQ(folders[0].kind, CacheFolder::Chromium);
    EXPECT_EQ(folders[1].kind, CacheFolder::Firefox);

    const auto entries = EnumerateUrlCache(store, folders);
    QStringList names = Names(entries);
    names.sort();
    EXPECT_EQ(names, QStringList({"a[1].swf", "get[1].swf", "z[1].swf"}));
    EXPECT_EQ(ReadAll(store.Folder() + "/a[1].swf"), movies->a);
    EXPECT_EQ(ReadAll(store.Folder() + "/get[1].swf"), movies->get);
    EXPECT_EQ(ReadAll(store.Folder() + "/z[1].swf"), movies->zipped);

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
