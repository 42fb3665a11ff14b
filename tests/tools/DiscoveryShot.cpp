// Saves a picture of the main window after scanning a page with three movies, the second one
// selected and playing.
#include <QApplication>

#include <QComboBox>
#include <QTest>
#include <QTreeWidget>
#include "support/Headless.h"

#include "TestUtil.h"
#include "app/MainFrm.h"
#include "support/ListRows.h"
#include "support/PageServer.h"
#include "support/RawHttpServer.h"
#include "support/TestEnvironment.h"
#include "support/TestSwf.h"
#include "web/FlashPlayer.h"
#include "widgets/StatusBar.h"

int main(int argc, char** argv) {
    PrepareHeadless();
    QApplication app(argc, argv);
    const QString out = argc > 1 ? argv[1] : "page_scan.png";

    RawHttpServer movies([](const std::string& request) {
        const bool green = RequestLine(request).find("green") != std::string::npos;
        const QByteArray swf =
            SolidColourSwf(green ? SwfColour{40, 170, 60} : SwfColour{220, 120, 20});
        return RawHttpServer::Response(200, swf.toStdString());
    });
    PageServer pages;
    const std::string m = "http://localhost:" + std::to_string(movies.Port());
    pages.Add("/games.html",
              "<html><body><h1>Flash games</h1>"
              "<object type='application/x-shockwave-flash' data='" +
                  m +
                  "/orange.swf'></object>"
                  "<embed src='" +
                  m +
                  "/green.swf'>"
                  "<script>swfobject.embedSWF(\"" +
                  m +
                  "/intro.swf\", \"box\");</script>"
                  "<p>Three movies on this page.</p></body></html>");

    TMainFrm frm(TestFolders());
    frm.show();
    QString status;
    QObject::connect(frm.StatusBar1, &TStatusBar::TextChanged,
                     [&](const QString& t) { status = t; });
    frm.UrlComBox->setEditText(QString("http://127.0.0.1:%1/games.html").arg(pages.Port()));
    frm.LbSpeedButton6Click();
    WaitUntil([&] { return status == "Done"; }, 30000);
    SelectRow(frm.ListView1, 1);
    WaitUntil(
        [&] {
            const QImage shot = frm.ShockwaveFlash1->grab().toImage();
            return shot.pixelColor(shot.width() / 2, shot.height() / 2) == QColor(40, 170, 60);
        },
        30000);
    QTest::qWait(300);
    return frm.grab().save(out) ? 0 : 1;
}
