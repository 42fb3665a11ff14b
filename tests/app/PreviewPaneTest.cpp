#include <gtest/gtest.h>

#include <QImage>

#include "TestUtil.h"
#include "app/MainFrm.h"
#include "support/ListRows.h"
#include "support/RawHttpServer.h"
#include "support/TestEnvironment.h"
#include "support/TestSwf.h"
#include "web/FlashPlayer.h"

namespace {
bool PaneShows(TMainFrm& frm, const QColor& want) {
    return WaitUntil(
        [&] {
            const QImage shot = frm.ShockwaveFlash1->grab().toImage();
            const QColor got = shot.pixelColor(shot.width() / 2, shot.height() / 2);
            return std::abs(got.red() - want.red()) < 8 &&
                   std::abs(got.green() - want.green()) < 8 &&
                   std::abs(got.blue() - want.blue()) < 8;
        },
        60000);
}
}  // namespace

// A row whose movie cannot be fetched leaves the pane blank, not playing the row before.
TEST(PreviewPane, ARowWhoseMovieCannotBeFetchedShowsNothing) {
    const QByteArray red = SolidColourSwf({200, 30, 40});
    RawHttpServer server([&](const std::string& request) {
        return RequestLine(request).find("/red.swf") != std::string::npos
                   ? RawHttpServer::Response(200, red.toStdString())
                   : RawHttpServer::Response(404, "no");
    });
    TMainFrm frm(TestFolders());
    frm.show();
    ListMovies(frm, {QString::fromStdString(server.Url("/red.swf")),
                     QString::fromStdString(server.Url("/missing.swf"))});
    SelectRow(frm.ListView1, 0);
    ASSERT_TRUE(PaneShows(frm, QColor(200, 30, 40)));
    SelectRow(frm.ListView1, 1);
    EXPECT_TRUE(PaneShows(frm, QColor(255, 255, 255)));
}
