#include <gtest/gtest.h>
#include <httplib.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <atomic>
#include <thread>

#include "TestUtil.h"
#include "platform/UrlCacheStore.h"
#include "support/RawHttpServer.h"
#include "support/TestSwf.h"
#include "web/FlashPlayer.h"
#include "web/PlayerServer.h"

namespace {
// The colour in the middle of the player, once the movie shows there.
bool ShowsColour(TFlashPlayer& player, const QColor& want, int timeoutMs = 60000) {
    return WaitUntil(
        [&] {
            const QImage shot = player.grab().toImage();
            const QColor got = shot.pixelColor(shot.width() / 2, shot.height() / 2);
            return std::abs(got.red() - want.red()) < 8 &&
                   std::abs(got.green() - want.green()) < 8 &&
                   std::abs(got.blue() - want.blue()) < 8;
        },
        timeoutMs);
}

QString RuntimeFolder() {
    return QCoreApplication::applicationDirPath() + "/ruffle";
}
}  // namespace

TEST(FlashPlayer, PlaysAMovieFromAnotherOriginWithoutCorsHeaders) {
    const QByteArray swf = SolidColourSwf({200, 30, 40});
    RawHttpServer server([&](const std::string&) {
        return RawHttpServer::Response(200, swf.toStdString(),
                                       "Content-Type: application/x-shockwave-flash\r\n");
    });
    TFlashPlayer player(nullptr, RuntimeFolder());
    player.resize(240, 240);
    player.show();
    const QString address = QString("http://localhost:%1/red.swf").arg(server.Port());
    player.SetMovie(address);
    EXPECT_EQ(player.Movie(), address);
    EXPECT_TRUE(ShowsColour(player, QColor(200, 30, 40)));
}

TEST(FlashPlayer, PlaysALocalFileAndTheLastMovieWins) {
    QTemporaryDir dir;
    QFile blue(dir.filePath("blue[1].swf"));
    ASSERT_TRUE(blue.open(QIODevice::WriteOnly));
    blue.write(SolidColourSwf({20, 60, 220}));
    blue.close();
    TFlashPlayer player(nullptr, RuntimeFolder());
    player.resize(240, 240);
    player.show();
    player.SetMovieFile(dir.filePath("missing.swf"));  // still handed over, nothing reported
    player.SetMovieFile(blue.fileName());
    EXPECT_TRUE(ShowsColour(player, QColor(20, 60, 220)));
}

TEST(FlashPlayer, AWebAddressOfAnotherSchemePlaysNothing) {
    QTemporaryDir dir;
    for (const auto& [name, colour] : {std::pair{"red.swf", SwfColour{200, 30, 40}},
                                       std::pair{"blue.swf", SwfColour{20, 60, 220}}}) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(SolidColourSwf(colour));
    }
    TFlashPlayer player(nullptr, RuntimeFolder());
    player.resize(240, 240);
    player.show();
    player.SetMovieFile(dir.filePath("red.swf"));
    ASSERT_TRUE(ShowsColour(player, QColor(200, 30, 40)));
    // A page named a local file: the red movie stops and the file is not read.
    player.SetMovie(QUrl::fromLocalFile(dir.filePath("blue.swf")).toString());
    EXPECT_TRUE(ShowsColour(player, QColor(255, 255, 255)));
    QTest::qWait(2000);
    EXPECT_FALSE(ShowsColour(player, QColor(20, 60, 220), 0));
}

TEST(PlayerServer, ServesOnlyRegisteredFilesBehindItsSecretToGet) {
    QTemporaryDir dir;
    QFile movie(dir.filePath("m.swf"));
    ASSERT_TRUE(movie.open(QIODevice::WriteOnly));
    movie.write("FWS movie");
    movie.close();
    TPlayerServer server(RuntimeFolder());
    const QUrl base(server.BaseUrl());
    const std::string secret = base.path().toStdString();  // "/<secret>"
    const std::string moviePath = QUrl(server.RegisterMovie(movie.fileName())).path().toStdString();
    httplib::Client client("127.0.0.1", base.port());

    auto got = client.Get(moviePath);
    ASSERT_TRUE(got);
    EXPECT_EQ(got->status, 200);
    EXPECT_EQ(got->body, "FWS movie");
    // A movie that knows its own address cannot tell another's from it.
    const QString id = QString::fromStdString(moviePath).section('/', -1);
    EXPECT_EQ(id.size(), 32 + 4) << id.toStdString();
    EXPECT_NE(QUrl(server.RegisterMovie(movie.fileName())).path().section('/', -1), id);
    for (const std::string& refused :
         {std::string("/0123456789abcdef/movie/1.swf"), secret + "x/movie/1.swf",
          secret + "/movie/2.swf", secret + "/ruffle/../player.html",
          secret + "/ruffle/%2e%2e/%2e%2e/etc/passwd", secret + "/movie/..%2F1.swf",
          secret + "/../" + secret + "/movie/1.swf", secret + "/ruffle/",
          std::string("/etc/passwd")}) {
        auto res = client.Get(refused);
        ASSERT_TRUE(res) << refused;
        EXPECT_EQ(res->status, 404) << refused;
    }
    for (const char* method : {"HEAD", "POST", "PUT", "DELETE", "OPTIONS"}) {
        httplib::Request req;
        req.method = method;
        req.path = moviePath;
        auto res = client.send(req);
        ASSERT_TRUE(res) << method;
        EXPECT_EQ(res->status, 405) << method;
        EXPECT_TRUE(res->body.find("FWS") == std::string::npos) << method;
    }
}

TEST(FlashPlayer, QuittingDuringAFetchEndsCleanly) {
    std::atomic<bool> sending{false};
    std::atomic<bool> stop{false};
    RawHttpServer slow(SlowBody(50000000, 16 * 1024, sending, stop));
    const QString address = QString::fromStdString(slow.Url("/slow.swf"));
    QElapsedTimer timer;
    {
        TFlashPlayer player(nullptr, RuntimeFolder());
        player.SetMovie(address);
        ASSERT_TRUE(WaitUntil([&] { return sending.load(); }));
        timer.start();
    }  // the window goes, as when the program is closed: its fetch stops with it
    EXPECT_LT(timer.elapsed(), 1500);
    stop = true;
    const QString store = TUrlCacheStore::Shared().Folder();
    EXPECT_TRUE(QDir(store).entryList({"*slow*"}, QDir::Files | QDir::Hidden).isEmpty());
}
