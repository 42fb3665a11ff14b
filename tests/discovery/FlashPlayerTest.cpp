#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include "TestUtil.h"
#include "discovery/FlashPlayer.h"
#include "support/RawHttpServer.h"
#include "support/TestSwf.h"

namespace {
// The colour in the middle of the player, once the movie shows there.
bool ShowsColour(TFlashPlayer& player, const QColor& want) {
    return WaitUntil(
        [&] {
            const QImage shot = player.grab().toImage();
            const QColor got = shot.pixelColor(shot.width() / 2, shot.height() / 2);
            return std::abs(got.red() - want.red()) < 8 &&
                   std::abs(got.green() - want.green()) < 8 &&
                   std::abs(got.blue() - want.blue()) < 8;
        },
        60000);
}

QString RuntimeFolder() {
    return QCoreApplication::applicationDirPath() + "/ruffle";
}
}  // namespace

TEST(FlashPlayer, PlaysAMovieFromAnotherOriginWithoutCorsHeaders) {
    const QByteArray swf = SolidColourSwf(QColor(200, 30, 40));
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
    blue.write(SolidColourSwf(QColor(20, 60, 220)));
    blue.close();
    TFlashPlayer player(nullptr, RuntimeFolder());
    player.resize(240, 240);
    player.show();
    player.SetMovie(dir.filePath("missing.swf"));  // still handed over, nothing reported
    player.SetMovie(blue.fileName());
    EXPECT_TRUE(ShowsColour(player, QColor(20, 60, 220)));
}
