#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTabBar>
#include <QTabWidget>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QVariant>

#include "TestUtil.h"
#include "app/MainFrm.h"
#include "support/EveryCacheSource.h"
#include "support/Files.h"
#include "support/FramedSite.h"
#include "support/ListRows.h"
#include "support/TestEnvironment.h"
#include "support/TestSwf.h"
#include "web/PagePlayers.h"
#include "web/PlayerServer.h"
#include "web/WebBrowser.h"
#include "widgets/StatusBar.h"

namespace {
const SwfColour kRed{220, 30, 30};
const SwfColour kBlue{30, 30, 220};
const SwfColour kGreen{30, 180, 30};
const SwfColour kYellow{230, 230, 30};

// A window browsing pages with Flash in pages on or off.
class PagePlayersTest : public ::testing::Test {
  protected:
    void SetUp() override {
        frm.show();
        frm.SetOuterSize(1400, 1000);  // room for a row of players in the browser pane
    }
    void TearDown() override { frm.PlayInPages1->setChecked(true); }

    bool Open(const QString& address) {
        bool done = false;
        auto watch = QObject::connect(frm.StatusBar1, &TStatusBar::TextChanged,
                                      [&](const QString& text) { done = text == "Done"; });
        frm.OpenAddress(address);
        const bool scanned = WaitUntil([&] { return done; }, 30000);
        QObject::disconnect(watch);
        return scanned;
    }
    // Whether the browser pane shows a patch of this colour.
    bool PaneShows(const SwfColour& c) {
        const QImage shot = frm.WebBrowser1->grab().toImage();
        int near = 0;
        for (int y = 0; y < shot.height(); y += 4) {
            for (int x = 0; x < shot.width(); x += 4) {
                const QColor got = shot.pixelColor(x, y);
                const int distance = std::abs(got.red() - c.red) + std::abs(got.green() - c.green) +
                                     std::abs(got.blue() - c.blue);
                near += distance < 20 ? 1 : 0;
            }
        }
        return near > 100;  // a few thousand pixels
    }
    // What a script of the page gives.
    // An answer that comes after the wait (a busy page) lands in state that is still there.
    QVariant Evaluate(const QString& script) {
        auto answer = std::make_shared<std::optional<QVariant>>();
        frm.WebBrowser1->page()->runJavaScript(script,
                                               [answer](const QVariant& v) { *answer = v; });
        WaitUntil([&] { return answer->has_value(); }, 30000);
        return answer->value_or(QVariant());
    }
    // The page's title once its script has set it to something other than "wait".
    QString TitleOnceSet() {
        WaitUntil([&] { return frm.WebBrowser1->page()->title().startsWith("{"); }, 30000);
        return frm.WebBrowser1->page()->title();
    }

    TFramedSite site;
    TMainFrm frm{TestFolders()};
};
}  // namespace

// An EMBED and an OBJECT play in place, at the page's size, and so does a movie in a frame of
// another origin; with the option off, pages load as they are and nothing plays.
TEST_F(PagePlayersTest, MoviesPlayInPlaceInEveryFrameOnlyWithTheOptionOn) {
    site.pagesA.Add("/red.swf", SolidColourSwf(kRed).toStdString(),
                    "application/x-shockwave-flash");
    site.pagesA.Add("/blue.swf", SolidColourSwf(kBlue).toStdString(),
                    "application/x-shockwave-flash");
    site.pagesB.Add("/green.swf", SolidColourSwf(kGreen).toStdString(),
                    "application/x-shockwave-flash");
    site.pagesB.Add("/green.html", "<embed src='green.swf' width=160 height=120>");
    site.pagesB.Add("/yellow.swf", SolidColourSwf(kYellow).toStdString(),
                    "application/x-shockwave-flash");
    site.pagesA.Add("/play.html", WithPorts(R"(<h1>Games</h1>
<embed src="red.swf" width="160" height="120">
<object type="application/x-shockwave-flash" data="blue.swf" width="160" height="120"></object>
<iframe src="http://localhost:{B}/green.html" width="200" height="160"></iframe>
<embed src="http://localhost:{B}/yellow.swf" width="160" height="120">)",
                                            site.pagesA.Port(), site.pagesB.Port()));
    ASSERT_TRUE(Open(site.A("/play.html")));
    // Another origin's movie too, though its server sends no CORS headers: the program fetches it.
    EXPECT_TRUE(WaitUntil(
        [&] {
            return PaneShows(kRed) && PaneShows(kBlue) && PaneShows(kGreen) && PaneShows(kYellow);
        },
        30000));
    // At the size the page gave.
    EXPECT_EQ(Evaluate("const b = document.querySelector('iframe[data-flash-movie]')"
                       ".getBoundingClientRect(); b.width + 'x' + b.height")
                  .toString(),
              "160x120");
    // A movie the page takes away stops showing.
    frm.WebBrowser1->page()->runJavaScript("document.querySelector('embed').remove()");
    EXPECT_TRUE(WaitUntil([&] { return !PaneShows(kRed); }, 10000));

    // With the option off, the page is as it came: no player is announced, none takes a place.
    frm.PlayInPages1->setChecked(false);
    ASSERT_TRUE(Open(site.A("/play.html?off")));
    EXPECT_EQ(Evaluate("navigator.mimeTypes['application/x-shockwave-flash'] === undefined && "
                       "document.querySelectorAll('iframe[data-flash-movie]').length === 0")
                  .toBool(),
              true);
}

// A page and its frames together hold at most 64 players, however many movies they write.
TEST_F(PagePlayersTest, APageAndItsFramesShareOneCapOfPlayers) {
    site.pagesA.Add("/red.swf", SolidColourSwf(kRed).toStdString(),
                    "application/x-shockwave-flash");
    std::string thirty;
    for (int i = 0; i < 30; ++i) {
        thirty += "<embed src='red.swf' width=2 height=2>";
    }
    site.pagesA.Add("/thirty.html", thirty);
    std::string page = thirty;
    for (int i = 0; i < 4; ++i) {
        page += "<iframe src='thirty.html?" + std::to_string(i) + "' width=200 height=40></iframe>";
    }
    site.pagesA.Add("/many.html", page);
    ASSERT_TRUE(Open(site.A("/many.html")));
    const QString count =
        "(() => { const players = (d) => d.querySelectorAll('iframe[data-flash-movie]').length;"
        "let n = players(document);"
        "for (const f of document.querySelectorAll('iframe:not([data-flash-movie])')) {"
        "  n += players(f.contentDocument); }"
        "return n; })()";
    EXPECT_TRUE(WaitUntil([&] { return Evaluate(count).toInt() == 64; }, 30000))
        << Evaluate(count).toInt();
    QTest::qWait(1000);  // and no more come
    EXPECT_EQ(Evaluate(count).toInt(), 64);
}

// A hostile page that finds its players' frames asks their server for everything it can think
// of, reads their documents and embeds movies that are no movies: it reads nothing, and each
// movie that is not played says why (what the window's status bar shows).
TEST_F(PagePlayersTest, AHostilePageReadsNothingThroughItsPlayersAndBadMoviesSayWhy) {
    std::map<QString, QString> failed;
    QObject::connect(&SharedPagePlayers(), &TPagePlayers::MovieFailed, &frm,
                     [&](const QString& movie, const QString& why) { failed[movie] = why; });
    site.pagesA.Add("/red.swf", SolidColourSwf(kRed).toStdString(),
                    "application/x-shockwave-flash");
    site.pagesA.Add("/page.swf", "<html>not a movie</html>", "text/html");
    site.pagesA.Add("/hostile.html", R"(<title>wait</title><embed src="red.swf">
<embed src="page.swf"><embed src="missing.swf"><embed src="file:///etc/passwd" type="application/x-shockwave-flash">
<script>
const asks = ["/ruffle/ruffle.js", "/player.html", "/movie/1.swf", "/load/1/http/127.0.0.1/",
  "/frame?movie=" + encodeURIComponent(location.href.replace("hostile.html", "red.swf")),
  "/pagemovie/1", "/../CMakeCache.txt"];
const answers = {};
function attack(frame) {
  const base = frame.src.slice(0, frame.src.indexOf("/frame?"));
  const own = document.createElement("embed");
  own.type = "application/x-shockwave-flash";
  own.src = base + "/ruffle/ruffle.js";
  document.body.appendChild(own);
  answers.document = String(frame.contentDocument);
  try {
    answers.window = String(frame.contentWindow.document.body.innerHTML);
  } catch (e) {
    answers.window = "refused";
  }
  Promise.all(asks.map((a) => fetch(base + a).then((r) => r.text().then((t) =>
      answers[a] = r.status + " " + t.length)).catch(() => answers[a] = "refused")))
    .then(() => document.title = JSON.stringify(answers));
}
const wait = setInterval(() => {
  const frame = document.querySelector("iframe[data-flash-movie]");
  if (frame) {
    clearInterval(wait);
    frame.addEventListener("load", () => attack(frame), {once: true});
  }
}, 10);
</script>)");
    ASSERT_TRUE(Open(site.A("/hostile.html")));
    const QJsonObject answers = QJsonDocument::fromJson(TitleOnceSet().toUtf8()).object();
    ASSERT_FALSE(answers.isEmpty());
    for (auto it = answers.begin(); it != answers.end(); ++it) {
        const QString answer = it.value().toString();
        EXPECT_TRUE(answer == "refused" || answer == "null")
            << it.key().toStdString() << ": " << answer.toStdString();
    }
    EXPECT_TRUE(WaitUntil([&] { return PaneShows(kRed) && failed.size() == 4; }, 30000))
        << failed.size();
    const QString own =
        QUrl(SharedPagePlayers().FrameUrl()).resolved(QUrl("ruffle/ruffle.js")).toString();
    EXPECT_EQ(failed[site.A("/page.swf")], "not a Flash movie");
    EXPECT_EQ(failed[site.A("/missing.swf")], "HTTP 404");
    EXPECT_EQ(failed["file:///etc/passwd"], "not an http or https address");
    EXPECT_EQ(failed[own], "the program's own server is not fetched");

    // A page of another browser, which knows no secret, finds nothing on the server.
    const QUrl frames(SharedPagePlayers().FrameUrl());
    for (const QString& path :
         {QString("/../CMakeCache.txt"), QString("/ruffle/ruffle.js"),
          QString("/frame?movie=http://127.0.0.1/"), QString("/player.html")}) {
        QTcpSocket raw;
        raw.connectToHost("127.0.0.1", frames.port());
        ASSERT_TRUE(raw.waitForConnected(5000));
        raw.write("GET " + path.toUtf8() + " HTTP/1.1\r\nHost: x\r\n\r\n");
        ASSERT_TRUE(raw.waitForReadyRead(5000));
        EXPECT_TRUE(raw.readAll().startsWith("HTTP/1.1 404")) << path.toStdString();
    }
}

// With a player present the scan lists what the page wrote, as it wrote it: every row of the
// option off, normal and deep, and the movies pages insert only when they find a player, such as
// SWFObject's.
TEST_F(PagePlayersTest, TheScanListsEveryMovieThePageWroteAndThoseItWritesForAPlayer) {
    QFile swfobject(QString(VIMBREL_SOURCE_DIR) + "/node_modules/swfobject/index.js");
    ASSERT_TRUE(swfobject.open(QIODevice::ReadOnly));
    site.pagesA.Add("/swfobject.js", swfobject.readAll().toStdString(), "text/javascript");
    site.pagesA.Add("/publish.js",
                    "swfobject.embedSWF('games/level.swf', 'box', '160', '120', '9.0.0');",
                    "text/javascript");
    site.pagesA.Add("/dynamic.html", R"(<div id="box">Get Flash</div>
<script src="swfobject.js"></script><script src="publish.js"></script>)");
    QStringList on[3];
    QStringList off[3];
    for (bool play : {true, false}) {
        frm.PlayInPages1->setChecked(play);
        QStringList* rows = play ? on : off;
        ASSERT_TRUE(Open(site.A(play ? "/index.html" : "/index.html?off")));
        rows[0] = Column(frm.ListView1, 1);
        ASSERT_TRUE(Open(site.A(play ? "/dynamic.html" : "/dynamic.html?off")));
        rows[1] = Column(frm.ListView1, 1);
        // The deep scan too, while the page stays open and its players fetch what they play.
        frm.DeepScan1->setChecked(true);
        ASSERT_TRUE(Open(site.A(play ? "/index.html?deep" : "/index.html?deep-off")));
        QTest::qWait(3000);
        rows[2] = Column(frm.ListView1, 1);
        frm.DeepScan1->setChecked(false);
    }
    EXPECT_EQ(on[0], off[0]);
    EXPECT_EQ(on[0].size(), 11);
    EXPECT_EQ(on[2], off[2]);
    EXPECT_GT(on[2].size(), 11);
    EXPECT_EQ(on[1], QStringList({site.A("/games/level.swf")}));
    EXPECT_EQ(off[1], QStringList());
}

// A movie of another origin played in a page has its loads fetched by the program and counted in
// its row, as the preview's are, and "Download Flash" saves it with them. Nothing of it reaches
// the program's store, which the cache tab lists.
TEST_F(PagePlayersTest, APagesMovieIsSavedWithWhatItLoadedThere) {
    const QByteArray parent = LoaderSwf("levels/child.swf", "data/vars.txt");
    const QByteArray child = ShapeSwf({30, 160, 60});
    site.pagesB.Add("/games/parent.swf", parent.toStdString(), "application/x-shockwave-flash");
    site.pagesB.Add("/games/levels/child.swf", child.toStdString(),
                    "application/x-shockwave-flash");
    site.pagesB.Add("/games/data/vars.txt", "a=1", "text/plain");
    const QString movie = QString("http://localhost:%1/games/parent.swf").arg(site.pagesB.Port());
    site.pagesA.Add("/loader.html",
                    "<embed src='" + movie.toStdString() + "' width=160 height=120>");
    ASSERT_TRUE(Open(site.A("/loader.html")));
    ASSERT_EQ(Column(frm.ListView1, 1), QStringList{movie});
    ASSERT_TRUE(WaitUntil([&] { return Cell(frm.ListView1, 0, 3) == "2"; }, 30000));

    QTemporaryDir target;
    frm.Core().Chain().SaveLoads(true);
    ASSERT_TRUE(frm.Core().Chain().Start(target.path() + "/"));
    ASSERT_TRUE(WaitUntil([&] { return !frm.Busy(); }));
    EXPECT_EQ(Cell(frm.ListView1, 0, 2), "Saved");
    EXPECT_EQ(ReadAll(target.filePath("parent/parent.swf")), parent);
    EXPECT_EQ(ReadAll(target.filePath("parent/levels/child.swf")), child);
    EXPECT_EQ(ReadAll(target.filePath("parent/data/vars.txt")), "a=1");
    EXPECT_TRUE(QFile::exists(target.filePath("parent/manifest.json")));

    QTabBar* tabs = frm.PageControl1->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    ASSERT_TRUE(WaitUntil([&] { return !frm.Busy(); }, 30000));
    EXPECT_FALSE(Column(frm.ListView2, 1).join(' ').contains("parent"));
}

// The movie listed is the movie that plays: an OBJECT with both a data attribute and a movie
// parameter plays its movie parameter; a movie's own address, whatever its name, opens as the
// page, playing, its one row listed.
TEST_F(PagePlayersTest, TheMovieListedIsTheMovieThatPlays) {
    site.pagesA.Add("/red.swf", SolidColourSwf(kRed).toStdString(),
                    "application/x-shockwave-flash");
    site.pagesA.Add("/blue.swf", SolidColourSwf(kBlue).toStdString(),
                    "application/x-shockwave-flash");
    site.pagesA.Add("/game", SolidColourSwf(kGreen).toStdString(), "application/x-shockwave-flash");
    site.pagesA.Add("/both.html", R"(<object type="application/x-shockwave-flash" data="blue.swf"
  width="160" height="120"><param name="movie" value="red.swf"></object>)");
    ASSERT_TRUE(Open(site.A("/both.html")));
    EXPECT_EQ(Column(frm.ListView1, 1), QStringList{site.A("/red.swf")});
    EXPECT_TRUE(WaitUntil([&] { return PaneShows(kRed); }, 30000));
    EXPECT_FALSE(PaneShows(kBlue));

    for (const QString& movie : {site.A("/blue.swf"), site.A("/game")}) {
        ASSERT_TRUE(Open(movie));
        // The list can follow the status by a moment when the movie is the page itself.
        EXPECT_TRUE(WaitUntil([&] { return Column(frm.ListView1, 1) == QStringList{movie}; }))
            << Column(frm.ListView1, 1).join(' ').toStdString();
        EXPECT_TRUE(
            WaitUntil([&] { return PaneShows(movie.endsWith("game") ? kGreen : kBlue); }, 30000))
            << movie.toStdString();
    }
}
