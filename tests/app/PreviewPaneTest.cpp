#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QCryptographicHash>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

#include "TestUtil.h"
#include "app/MainFrm.h"
#include "support/CliRun.h"
#include "support/Files.h"
#include "support/ListRows.h"
#include "support/PageServer.h"
#include "support/RawHttpServer.h"
#include "support/TestEnvironment.h"
#include "support/TestSwf.h"
#include "web/FlashPlayer.h"
#include "widgets/LbSpeedButton.h"
#include "widgets/ReportList.h"
#include "widgets/StatusBar.h"

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
        30000);
}
}  // namespace

// A row whose movie cannot be had (a missing one, an empty body, a page sent as the movie) leaves
// the pane without a movie, not playing the row before, and the pane, the status bar and the row
// say why; the row keeps its status.
TEST(PreviewPane, ARowWhoseMovieCannotBeHadSaysWhy) {
    const QByteArray red = SolidColourSwf({200, 30, 40});
    RawHttpServer server([&](const std::string& request) {
        const std::string line = RequestLine(request);
        if (line.find("/red.swf") != std::string::npos) {
            return RawHttpServer::Response(200, red.toStdString());
        }
        if (line.find("/empty.swf") != std::string::npos) {
            return RawHttpServer::Response(200, "");
        }
        if (line.find("/page.swf") != std::string::npos) {
            return RawHttpServer::Response(200, "<html>moved</html>",
                                           "Content-Type: text/html\r\n");
        }
        return RawHttpServer::Response(404, "no");
    });
    const struct {
        const char* path;
        QString why;
    } bad[] = {{"/missing.swf", "HTTP 404 Not Found"},
               {"/empty.swf", "not a Flash movie"},
               {"/page.swf", "not a Flash movie"}};
    TMainFrm frm(TestFolders());
    frm.show();
    for (const auto& b : bad) {
        ListMovies(frm, {QString::fromStdString(server.Url("/red.swf")),
                         QString::fromStdString(server.Url(b.path))});
        SelectRow(frm.ListView1, 0);
        ASSERT_TRUE(PaneShows(frm, QColor(200, 30, 40)));
        frm.ShowStatus("Done");  // the case before may have ended with the same words
        SelectRow(frm.ListView1, 1);
        EXPECT_TRUE(PaneShows(frm, QColor(255, 255, 255))) << b.path;
        EXPECT_TRUE(WaitUntil(
            [&] { return frm.StatusBar1->Text() == "The movie cannot be played: " + b.why; },
            10000))
            << frm.StatusBar1->Text().toStdString();
        EXPECT_EQ(Cell(frm.ListView1, 1, 2), "New");
        EXPECT_TRUE(frm.ListView1->model()
                        ->index(1, 1)
                        .data(Qt::ToolTipRole)
                        .toString()
                        .endsWith("The preview could not be played: " + b.why))
            << b.path;
    }
}

// A loader movie's own loads are fetched for it while it plays: the child it loads shows, the row
// says how many files it loaded, and "Download Flash" saves it with them, laid out so that it
// plays offline from where it was saved.
TEST(PreviewPane, AMovieIsSavedWithWhatItLoadsAndPlaysOfflineFromThere) {
    const QByteArray parent = LoaderSwf("levels/child.swf", "data/vars.txt");
    const QByteArray child = ShapeSwf({30, 160, 60});
    auto serve = [&](PageServer& server, const std::string& folder) {
        server.Add(folder + "parent.swf", parent.toStdString(), "application/x-shockwave-flash");
        server.Add(folder + "levels/child.swf", child.toStdString(),
                   "application/x-shockwave-flash");
        server.Add(folder + "data/vars.txt", "a=1", "text/plain");
    };
    PageServer site;
    serve(site, "/games/");
    TMainFrm frm(TestFolders());
    frm.show();
    ListMovies(frm, {QString("http://127.0.0.1:%1/games/parent.swf").arg(site.Port())});
    SelectRow(frm.ListView1, 0);
    EXPECT_TRUE(PaneShows(frm, QColor(30, 160, 60)));
    ASSERT_TRUE(WaitUntil([&] { return Cell(frm.ListView1, 0, 3) == "2"; }));

    QTemporaryDir target;
    frm.SetAllChecked(true);
    frm.Core().Chain().SaveLoads(true);
    ASSERT_TRUE(frm.Core().Chain().Start(target.path() + "/"));
    ASSERT_TRUE(WaitUntil([&] { return !frm.Busy(); }));
    EXPECT_EQ(Cell(frm.ListView1, 0, 2), "Saved");
    const QString saved = target.filePath("parent/");
    EXPECT_EQ(ReadAll(saved + "parent.swf"), parent);
    EXPECT_EQ(ReadAll(saved + "levels/child.swf"), child);
    EXPECT_EQ(ReadAll(saved + "data/vars.txt"), "a=1");
    const QJsonArray manifest = QJsonDocument::fromJson(ReadAll(saved + "manifest.json")).array();
    ASSERT_EQ(manifest.size(), 3);
    QStringList savedAs;
    for (const auto& entry : manifest) {
        const QJsonObject e = entry.toObject();
        savedAs << e["saved"].toString();
        EXPECT_EQ(e["status"].toInt(), 200);
        EXPECT_EQ(e["sha256"].toString(),
                  QCryptographicHash::hash(ReadAll(saved + e["saved"].toString()),
                                           QCryptographicHash::Sha256)
                      .toHex());
    }
    // The movie first, then its files in the order they arrived, which the two loads race for.
    EXPECT_EQ(savedAs.takeFirst(), "parent.swf");
    savedAs.sort();
    EXPECT_EQ(savedAs, QStringList({"data/vars.txt", "levels/child.swf"}));

    // Offline: the saved folder alone, from another origin, plays the same.
    PageServer offline;
    offline.Add("/parent.swf", ReadAll(saved + "parent.swf").toStdString(),
                "application/x-shockwave-flash");
    offline.Add("/levels/child.swf", ReadAll(saved + "levels/child.swf").toStdString(),
                "application/x-shockwave-flash");
    offline.Add("/data/vars.txt", ReadAll(saved + "data/vars.txt").toStdString(), "text/plain");
    SelectRow(frm.ListView1, -1);
    ListMovies(frm, {QString("http://localhost:%1/parent.swf").arg(offline.Port())});
    SelectRow(frm.ListView1, 0);
    ASSERT_TRUE(WaitUntil([&] { return Cell(frm.ListView1, 0, 3) == "2"; }));
    EXPECT_TRUE(PaneShows(frm, QColor(30, 160, 60)));
    const auto asked = offline.Asked();
    EXPECT_NE(std::find(asked.begin(), asked.end(), "/levels/child.swf"), asked.end());
}

// A playing movie keeps neither the keyboard nor its place: Tab and Shift+Tab leave the pane,
// Ctrl+L reaches the address box from it, F6 goes round the panes, and the movie stops when its
// row leaves the list.
TEST(PreviewPane, TheKeyboardLeavesAPlayingMovieWhichStopsWhenItsRowGoes) {
    const QByteArray red = SolidColourSwf({200, 30, 40});
    RawHttpServer server(
        [&](const std::string&) { return RawHttpServer::Response(200, red.toStdString()); });
    TMainFrm frm(TestFolders());
    frm.show();
    frm.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frm));
    ListMovies(frm, {QString::fromStdString(server.Url("/red.swf"))});
    SelectRow(frm.ListView1, 0);
    ASSERT_TRUE(PaneShows(frm, QColor(200, 30, 40)));
    const auto focusInPane = [&] {
        QTest::mouseClick(frm.ShockwaveFlash1->focusProxy(), Qt::LeftButton, {},
                          frm.ShockwaveFlash1->rect().center());
        return WaitUntil(
            [&] { return frm.ShockwaveFlash1->isAncestorOf(QApplication::focusWidget()); });
    };
    const struct {
        QKeyCombination key;
        QWidget* reaches;
    } keys[] = {{Qt::Key_Tab, frm.PageControl1->tabBar()},
                {Qt::SHIFT | Qt::Key_Backtab, frm.LbSpeedButton3},
                {Qt::CTRL | Qt::Key_L, frm.UrlComBox},
                {Qt::ALT | Qt::Key_D, frm.UrlComBox}};
    for (const auto& k : keys) {
        ASSERT_TRUE(focusInPane());
        QTest::keyClick(QApplication::focusWidget(), k.key.key(), k.key.keyboardModifiers());
        EXPECT_EQ(QApplication::focusWidget(), k.reaches)
            << QKeySequence(k.key).toString().toStdString();
    }
    for (QWidget* next :
         {static_cast<QWidget*>(frm.ListView1), static_cast<QWidget*>(frm.ShockwaveFlash1),
          static_cast<QWidget*>(frm.UrlComBox)}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
        QWidget* focus = QApplication::focusWidget();
        EXPECT_TRUE(focus == next || next->isAncestorOf(focus)) << next->objectName().toStdString();
    }

    ListMovies(frm, {QString::fromStdString(server.Url("/other.swf"))});  // a new page's list
    EXPECT_TRUE(frm.ShockwaveFlash1->Movie().isEmpty());
    EXPECT_TRUE(PaneShows(frm, QColor(255, 255, 255)));
}

// File > Save Page as Web Archive: the page as the engine received it, with the movie previewed
// on it and what the movie loaded, in a package, and nothing fetched again for it.
TEST(PreviewPane, ThePageIsSavedAsAWebArchiveWithTheMoviePreviewedAndItsLoads) {
    PageServer site;
    site.Add("/index.html", "<title>Game</title><p>A game</p><embed src='loader.swf'>");
    AddLoaderMovie(site, "/", {30, 160, 60}, "a=1");
    TMainFrm frm(TestFolders());
    frm.show();
    QStringList statuses;
    QObject::connect(frm.StatusBar1, &TStatusBar::TextChanged,
                     [&](const QString& text) { statuses << text; });
    const QString page = QString("http://127.0.0.1:%1/index.html").arg(site.Port());
    frm.OpenAddress(page);
    ASSERT_TRUE(WaitUntil([&] { return statuses.contains("Done"); }, 30000));
    SelectRow(frm.ListView1, 0);
    ASSERT_TRUE(WaitUntil([&] { return Cell(frm.ListView1, 0, 3) == "2"; }, 30000));

    QTemporaryDir folder;
    const QString package = folder.filePath("game.wacz");
    frm.SavePageArchive(package);
    ASSERT_TRUE(WaitUntil(
        [&] { return statuses.contains("Saved the page as a web archive: " + package); }));
    QProcess unzip;
    unzip.start("unzip", {"-p", package, "archive/data.warc.gz"});
    ASSERT_TRUE(unzip.waitForFinished(30000));
    const QString warc = folder.filePath("data.warc.gz");
    WriteFile(warc, unzip.readAllStandardOutput());
    const WarcRecords read = ReadWarc(warc);
    ASSERT_TRUE(read.ok) << read.error.toStdString();
    QSet<QString> archived;
    for (const QJsonObject& record : read.records) {
        if (record["type"] == "response" && record["payloadDigestOk"].toBool()) {
            archived << record["uri"].toString().section('/', 3);
        }
    }
    for (const char* path : {"index.html", "loader.swf", "levels/child.swf", "vars.txt"}) {
        EXPECT_TRUE(archived.contains(path)) << path;
    }
    const std::vector<std::string> asked = site.Asked();
    EXPECT_EQ(std::count(asked.begin(), asked.end(), "/index.html"), 1);
}
