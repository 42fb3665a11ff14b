#include <gtest/gtest.h>

#include <QTest>

#include "TestUtil.h"
#include "logic/DeepScan.h"
#include "support/PageServer.h"
#include "support/TestSwf.h"
#include "web/BrowserPage.h"
#include "web/LivePageScan.h"

namespace {
// Every page holds the page scan's own movie first ("plain.swf"), then one pattern only the
// deep scan sees, and once more that first movie in the pattern, which must not come twice.
const struct {
    const char* name;
    const char* body;
    const char* deepMovie;  // relative to the page's folder
} kPatterns[] = {
    {"link", "<a href='game.swf?level=2#top'>play</a><area href='plain.swf'><a href='x.html'>",
     "game.swf?level=2"},
    {"single-quoted", "<script>var m = 'single.swf', again = 'PLAIN.swf';</script>", "single.swf"},
    {"backquoted", "<script>load(`tick.swf`);</script>", "tick.swf"},
    {"other-object",
     "<object type='application/x-java-applet' data='applet.swf'></object>"
     "<object data='plain.swf'></object>",
     "applet.swf"},
    {"player-element", "<ruffle-embed src='ruffle.swf'></ruffle-embed>", "ruffle.swf"},
    {"player-object", "<ruffle-object><param name='movie' value='robj.swf'></ruffle-object>",
     "robj.swf"},
    {"flashvars-param",
     "<object type='application/x-shockwave-flash' data='plain.swf'>"
     "<param name='FlashVars' value='skin=blue&amp;file=vars%2Fvar.swf'></object>",
     "vars/var.swf"},
    {"flashvars-attribute", "<embed src='plain.swf' flashvars='intro=attr.swf&autoplay=1'>",
     "attr.swf"},
    {"data-attribute", "<div data-movie=' data.swf ' data-other='x.png'></div>", "data.swf"},
    {"apostrophe-elsewhere",
     "<script>loadMovie('intro.swf'); var s = \"it's here\"; // don't\n</script>", "intro.swf"},
    {"concatenated", "<script>f('games/' + 'level1.swf');</script>", "games/level1.swf"},
    {"event-handler", "<button onclick=\"play('click.swf')\">play</button>", "click.swf"},
    {"javascript-link", "<a href=\"javascript:play('js%20link.swf')\">play</a>", "js%20link.swf"},
};

// A page of its own, scanned as both front ends scan theirs.
class DeepScanTest : public ::testing::Test {
  protected:
    void SetUp() override {
        QObject::connect(&scan, &TLivePageScan::Scanned, [this](const TFoundMovieList& found) {
            rows = found.Addresses();
            ++scans;
        });
        QObject::connect(&scan, &TLivePageScan::NetworkMovie,
                         [this](const QString& movie) { rows << movie; });
        pages.Add("/movie.swf", SolidColourSwf({255, 0, 0}).toStdString(),
                  "application/octet-stream");
        pages.Add("/get.php", SolidColourSwf({0, 0, 255}).toStdString(),
                  "application/x-shockwave-flash");
        pages.Add("/other.html", "<p>another page</p>");
    }

    QString A(const QString& path) const {
        return QString("http://127.0.0.1:%1%2").arg(pages.Port()).arg(path);
    }

    bool Open(const QString& address) {
        const int before = scans;
        page.Navigate(address);
        return WaitUntil([&] { return scans > before; }, 30000);
    }

    PageServer pages;
    TBrowserPage page{BrowserProfile(), nullptr};
    TLivePageScan scan{&page};
    QStringList rows;  // the latest scan's movies, then those fetched after it
    int scans = 0;
};
}  // namespace

TEST_F(DeepScanTest, EachPatternAddsItsRowAfterThePageScansOnlyWhenOn) {
    for (const auto& p : kPatterns) {
        pages.Add(std::string("/p/") + p.name + ".html",
                  std::string("<embed src='plain.swf'>") + p.body);
    }
    for (const bool deep : {false, true}) {
        scan.SetDeep(deep);
        for (const auto& p : kPatterns) {
            ASSERT_TRUE(Open(A(QString("/p/%1.html").arg(p.name))));
            QStringList want = {A("/p/plain.swf")};
            if (deep) {
                want << A(QString("/p/") + p.deepMovie);
            }
            EXPECT_EQ(rows, want) << p.name << (deep ? " on" : " off");
        }
    }
}

TEST_F(DeepScanTest, MoviesThePageFetchesLaterArriveWhileItStaysOpen) {
    scan.SetDeep(true);
    // One named ".swf" two seconds after load; one under another name, Flash by its type, when
    // the button is clicked. Their addresses are built by the script, so no rule sees them in
    // the page.
    pages.Add("/later.html", R"html(<embed src="plain.swf">
<button id="b" style="position:fixed;left:0;top:0;width:300px;height:200px"
  onclick="fetch('get.php?id=9').then((r) => r.arrayBuffer())">Play</button>
<script>onload = () => setTimeout(() => fetch(['movie', 'swf?t=2'].join('.')), 2000);</script>)html");
    ASSERT_TRUE(Open(A("/later.html")));
    EXPECT_EQ(rows, QStringList({A("/plain.swf")}));
    ASSERT_TRUE(WaitUntil([&] { return rows.size() == 2; }, 10000));
    EXPECT_EQ(rows.last(), A("/movie.swf?t=2"));

    page.runJavaScript("document.getElementById('b').click()");
    ASSERT_TRUE(WaitUntil([&] { return rows.size() == 3; }, 20000));
    EXPECT_EQ(rows.last(), A("/get.php?id=9"));

    // A new navigation ends it: the old page's late fetch never reaches the new list.
    pages.Add("/leaving.html",
              "<script>setTimeout(() => fetch(['movie', 'swf?late=1'].join('.')), 1500);</script>");
    ASSERT_TRUE(Open(A("/leaving.html")));
    ASSERT_TRUE(Open(A("/other.html")));
    QTest::qWait(2500);
    EXPECT_TRUE(rows.isEmpty());

    // Off, the page scan's rows are all there is.
    scan.SetDeep(false);
    ASSERT_TRUE(Open(A("/later.html")));
    QTest::qWait(3000);
    EXPECT_EQ(rows, QStringList({A("/plain.swf")}));
}

TEST(FlashVarsMovies, ValuesNamingMoviesDecoded) {
    EXPECT_EQ(FlashVarsMovies("a=1&file=m%2Fx.swf&b=y.SWF?v=2&skin=s.png&c"),
              QStringList({"m/x.swf", "y.SWF?v=2"}));
    EXPECT_EQ(FlashVarsMovies("u=http%3A%2F%2Fh%2Fz.swf&&=&x=my+game.swf"),
              QStringList({"http://h/z.swf", "my game.swf"}));
}

// External scripts of the page's own origin and of another, read from the browser's cache, name
// movies in every kind of literal; each resolves against the page that runs it.
TEST_F(DeepScanTest, ExternalScriptsOfBothOriginsAreReadAsThePageRunsThem) {
    PageServer other;
    pages.Add("/ext/page.html",
              WithPorts("<embed src='plain.swf'><script src='own.js'></script>"
                        "<script src='http://localhost:{B}/lib/other.js'></script>"
                        "<script src='missing.js'></script>",
                        pages.Port(), other.Port()),
              "text/html");
    pages.Add("/ext/own.js", "var a = \"dq.swf\", b = 'sq.swf';", "text/javascript");
    other.Add("/lib/other.js", "swfobject.embedSWF(`tpl.swf`, 'box'); f('lib/' + 'cat.swf');",
              "text/javascript");
    for (const bool deep : {false, true}) {
        scan.SetDeep(deep);
        ASSERT_TRUE(Open(A("/ext/page.html")));
        QStringList want = {A("/ext/plain.swf")};
        if (deep) {
            want << A("/ext/dq.swf") << A("/ext/sq.swf") << A("/ext/tpl.swf")
                 << A("/ext/lib/cat.swf");
        }
        EXPECT_EQ(rows, want) << (deep ? "on" : "off");
    }
}
