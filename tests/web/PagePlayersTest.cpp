#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTabBar>
#include <QTabWidget>
#include <QTcpSocket>
#include <QTest>
#include <QVariant>

#include "TestUtil.h"
#include "app/MainFrm.h"
#include "support/EveryCacheSource.h"
#include "support/FramedSite.h"
#include "support/ListRows.h"
#include "support/TestEnvironment.h"
#include "support/TestSwf.h"
#include "web/PlayerServer.h"
#include "web/RuntimeServer.h"
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
    void SetUp() override { frm.show(); }
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
    EXPECT_TRUE(
        WaitUntil([&] { return PaneShows(kRed) && PaneShows(kBlue) && PaneShows(kGreen); }, 30000));
    // Another origin's movie, which sends no CORS headers, is not read for the page: the player
    // says why.
    EXPECT_FALSE(PaneShows(kYellow));
    const QString shadow = "document.querySelectorAll('ruffle-player')[2].shadowRoot.textContent";
    WaitUntil([&] { return Evaluate(shadow).toString().contains("CORS"); }, 10000);
    EXPECT_TRUE(Evaluate(shadow).toString().contains("CORS"));
    // At the size the page gave.
    EXPECT_EQ(Evaluate("const b = document.querySelector('ruffle-player').getBoundingClientRect();"
                       "b.width + 'x' + b.height")
                  .toString(),
              "160x120");
    // A movie the page takes away stops showing.
    frm.WebBrowser1->page()->runJavaScript("document.querySelector('embed').remove()");
    EXPECT_TRUE(WaitUntil([&] { return !PaneShows(kRed); }, 10000));

    frm.PlayInPages1->setChecked(false);
    ASSERT_TRUE(Open(site.A("/play.html?off")));
    QTest::qWait(2000);
    EXPECT_FALSE(PaneShows(kRed) || PaneShows(kBlue) || PaneShows(kGreen));
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
        "(() => { let n = document.querySelectorAll('ruffle-player').length;"
        "for (let i = 0; i < frames.length; i++) {"
        "  n += frames[i].document.querySelectorAll('ruffle-player').length; }"
        "return n; })()";
    EXPECT_TRUE(WaitUntil([&] { return Evaluate(count).toInt() == 64; }, 30000))
        << Evaluate(count).toInt();
    QTest::qWait(1000);  // and no more come
    EXPECT_EQ(Evaluate(count).toInt(), 64);
}

// A page that knows how the runtime is loaded asks its source for everything else it can think
// of: it gets the runtime's files and errors, nothing more.
TEST_F(PagePlayersTest, TheRuntimesSourceServesTheRuntimeAndNothingElse) {
    site.pagesA.Add("/red.swf", SolidColourSwf(kRed).toStdString(),
                    "application/x-shockwave-flash");
    site.pagesA.Add("/hostile.html", R"(<title>wait</title><embed src="red.swf">
<script>
const asks = ["ruffle.js", "", "../", "..%2f..%2fetc%2fpasswd", "%2e%2e/%2e%2e/etc/passwd",
  "..%5c..%5cCMakeCache.txt", "ruffle.js/../../etc/passwd", "/etc/passwd", "CMakeCache.txt",
  ".index", "store/.index", "vimbrel.conf", "player.html", "ruffle/ruffle.js", "movie/1.swf",
  "load/1/http/127.0.0.1/", "snapshot.js", "pageflash.js", "?file=/etc/passwd", "ruffle.js?x"];
const methods = ["POST", "PUT", "DELETE", "PATCH"];
const answers = {};
function attack(base) {
  const all = asks.map((a) => fetch(base + a).then((r) => r.text().then((t) =>
      answers["GET " + a] = r.status + (r.status == 200 ? " " + t.length : ""))).catch(() =>
      answers["GET " + a] = "refused"));
  for (const m of methods) {
    all.push(fetch(base + "ruffle.js", {method: m}).then((r) => answers[m] = r.status)
        .catch(() => answers[m] = "refused"));
  }
  Promise.all(all).then(() => document.title = JSON.stringify(answers));
}
const wait = setInterval(() => {
  if (window.RufflePlayer && window.RufflePlayer.config && window.RufflePlayer.config.publicPath) {
    clearInterval(wait);
    attack(window.RufflePlayer.config.publicPath);
  }
}, 50);
</script>)");
    ASSERT_TRUE(Open(site.A("/hostile.html")));
    const QJsonObject answers = QJsonDocument::fromJson(TitleOnceSet().toUtf8()).object();
    ASSERT_FALSE(answers.isEmpty());
    QFile runtime(PlayerRuntimeFolder() + "/ruffle.js");
    ASSERT_TRUE(runtime.open(QIODevice::ReadOnly));
    const QString whole = QString("200 %1").arg(QString::fromUtf8(runtime.readAll()).size());
    EXPECT_EQ(answers["GET ruffle.js"].toString(), whole);
    EXPECT_EQ(answers["GET ruffle.js?x"].toString(), whole);
    EXPECT_EQ(answers["POST"].toInt(), 405);
    for (auto it = answers.begin(); it != answers.end(); ++it) {
        if (it.key() != "GET ruffle.js" && it.key() != "GET ruffle.js?x") {
            const QString answer = it.value().toVariant().toString();
            // Methods other than GET and POST are stopped by the engine at the preflight.
            EXPECT_TRUE(answer == "404" || answer == "405" || answer == "refused")
                << it.key().toStdString() << ": " << answer.toStdString();
        }
    }
    // What a page cannot even send (a path the engine would have tidied), and what a page of
    // another browser, which knows no secret, would try: nothing but the runtime's code answers.
    const QString secret = QUrl(SharedRuntimeServer().BaseUrl()).path();
    for (const QString& path :
         {QString("/../CMakeCache.txt"), QString("/ruffle.js"), secret + "package.json",
          secret + "../ruffle.js", secret + "README.md"}) {
        QTcpSocket raw;
        raw.connectToHost("127.0.0.1", QUrl(SharedRuntimeServer().BaseUrl()).port());
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

// A movie a page played was fetched by the embedded browser, so the cache tab lists it.
TEST_F(PagePlayersTest, TheCacheTabListsWhatAPagePlayed) {
    site.pagesA.Add("/played.swf", SolidColourSwf(kRed).toStdString(),
                    "application/x-shockwave-flash");
    site.pagesA.Add("/played.html", "<embed src='played.swf' width=160 height=120>");
    ASSERT_TRUE(Open(site.A("/played.html")));
    ASSERT_TRUE(WaitUntil([&] { return PaneShows(kRed); }, 30000));
    ASSERT_TRUE(WaitUntil([] { return OwnCacheEntries("/played.swf") == 1; }, 30000));
    QTabBar* tabs = frm.PageControl1->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    ASSERT_TRUE(WaitUntil([&] { return !frm.Busy(); }, 30000));
    EXPECT_TRUE(Column(frm.ListView2, 1).contains("played[1].swf"))
        << Column(frm.ListView2, 1).join(" ").toStdString();
}
