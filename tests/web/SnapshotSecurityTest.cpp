#include <gtest/gtest.h>

#include <QEventLoop>
#include <QWebEnginePage>
#include <chrono>
#include <thread>

#include "TestUtil.h"
#include "logic/PageScan.h"
#include "support/PageServer.h"
#include "support/RawHttpServer.h"
#include "web/WebBrowser.h"

namespace {
// A top page that records every message and console call its own scripts can see.
const char* const kHostileTop = R"(<html><head><script>
window.seen = [];
addEventListener('message', (e) => seen.push(JSON.stringify(e.data)), true);
for (const k of ['log', 'info', 'warn', 'error', 'debug']) {
  const original = console[k];
  console[k] = (...args) => { seen.push(args.join(' ')); original.apply(console, args); };
}
</script></head><body>
<embed src="top.swf">
<iframe src="http://localhost:{B}/private.html"></iframe>
</body></html>)";

// A cross-origin frame with content its embedder must not learn, which also tries to forge
// reports when it sees the trigger.
const char* const kPrivateFrame = R"(<html><body>
<script>var account = "PRIVATE-MARKER-4711";</script>
<embed src="inner.swf">
<script>
addEventListener('message', (e) => {
  const scan = Object.values(e.data || {})[0];
  const fake = JSON.stringify({url: 'http://evil.example/', embeds: ['forged.swf'], framePaths: [[0]]});
  for (const secret of ['', '0', 'vimbrel', '@SNAPSHOT_SECRET@']) {
    console.log(secret + ' ' + scan + ' / 0/1 ' + fake);
    console.log(secret + ' ' + scan + ' /0 0/1 ' + fake);
  }
});
</script></body></html>)";

// Frames of every kind: same-origin holding cross-origin, cross-origin holding same-origin
// (to itself), and one that navigates after the page has loaded.
const char* const kNestingTop = R"(<html><body>
<embed src="top.swf">
<iframe src="/same.html"></iframe>
<iframe src="http://localhost:{B}/cross.html"></iframe>
<iframe id="later" src="http://localhost:{B}/before.html"></iframe>
<embed src="top-end.swf">
</body></html>)";

class SnapshotSecurityTest : public ::testing::Test {
  protected:
    void SetUp() override {
        a = pagesA.Port();
        b = pagesB.Port();
        browser.resize(400, 300);
    }

    QString A(const QString& path) const {
        return QString("http://127.0.0.1:%1%2").arg(a).arg(path);
    }
    QString B(const QString& path) const {
        return QString("http://localhost:%1%2").arg(b).arg(path);
    }

    bool Load(const QString& url) {
        bool done = false;
        bool ok = false;
        auto c = QObject::connect(&browser, &TWebBrowser::DocumentComplete, [&](bool loaded) {
            done = true;
            ok = loaded;
        });
        browser.Navigate(url);
        WaitUntil([&] { return done; }, 30000);
        QObject::disconnect(c);
        return ok;
    }

    // The movies the page scan finds in a fresh snapshot; "error: …" when there is none.
    QStringList Scan(int budgetMs = 2000) {
        QStringList found;
        bool done = false;
        browser.RequestSnapshot(
            [&](std::optional<TDocumentSnapshot> snapshot, const QString& error) {
                done = true;
                if (snapshot) {
                    TFoundMovieList movies;
                    ScanPage(*snapshot, movies);
                    found = movies.Addresses();
                } else {
                    found << "error: " + error;
                }
            },
            budgetMs);
        WaitUntil([&] { return done; }, budgetMs + 20000);
        return found;
    }

    // Runs a script in the page's own world and returns its value.
    QVariant PageEval(const QString& script) {
        QVariant result;
        bool done = false;
        browser.page()->runJavaScript(script, [&](const QVariant& v) {
            result = v;
            done = true;
        });
        WaitUntil([&] { return done; }, 10000);
        return result;
    }

    PageServer pagesA;
    PageServer pagesB;
    int a = 0;
    int b = 0;
    TWebBrowser browser;
};
}  // namespace

TEST_F(SnapshotSecurityTest, AHostilePageLearnsNothingAndCannotForgeReports) {
    pagesA.Add("/hostile.html", WithPorts(kHostileTop, a, b));
    pagesB.Add("/private.html", kPrivateFrame);
    ASSERT_TRUE(Load(A("/hostile.html")));
    // The cross-origin frame is scanned; the forged reports add nothing.
    EXPECT_EQ(Scan(), QStringList({A("/top.swf"), B("/inner.swf")}));

    const QString seen = PageEval("JSON.stringify(window.seen)").toString();
    EXPECT_FALSE(seen.contains("PRIVATE-MARKER")) << seen.toStdString();
    EXPECT_FALSE(seen.contains("inner.swf")) << seen.toStdString();
    EXPECT_FALSE(seen.contains(SnapshotSecret())) << seen.toStdString();
}

TEST_F(SnapshotSecurityTest, EveryFrameIsScannedInDocumentOrder) {
    pagesA.Add("/top.html", WithPorts(kNestingTop, a, b));
    pagesA.Add(
        "/same.html",
        WithPorts(
            "<embed src='same.swf'><iframe src='http://localhost:{B}/cross-in-same.html'></iframe>",
            a, b));
    pagesB.Add("/cross-in-same.html", "<embed src='cross-in-same.swf'>");
    pagesB.Add("/cross.html", "<embed src='cross.swf'><iframe src='/same-in-cross.html'></iframe>");
    pagesB.Add("/same-in-cross.html", "<embed src='same-in-cross.swf'>");
    pagesB.Add("/before.html", "<embed src='before.swf'>");
    pagesA.Add("/after.html", "<embed src='after.swf'>");
    ASSERT_TRUE(Load(A("/top.html")));
    const QStringList first = {A("/top.swf"),           A("/top-end.swf"), A("/same.swf"),
                               B("/cross-in-same.swf"), B("/cross.swf"),   B("/same-in-cross.swf")};
    EXPECT_EQ(Scan(), first + QStringList{B("/before.swf")});

    // The third frame moves to another origin: its current document is the one described.
    PageEval(QString("document.getElementById('later').src = '%1'").arg(A("/after.html")));
    ASSERT_TRUE(WaitUntil([&] {
        return PageEval("try { frames[2].document.readyState } catch (e) { '' }") == "complete";
    }));
    EXPECT_EQ(Scan(), first + QStringList{A("/after.swf")});
}

TEST_F(SnapshotSecurityTest, AChainOfThirtyFramesAcrossTwoOriginsGivesThirtyRows) {
    QStringList expected;
    for (int level = 0; level < 30; ++level) {
        PageServer& here = level % 2 == 0 ? pagesA : pagesB;
        const QString next = level % 2 == 0 ? B("/c%1.html") : A("/c%1.html");
        here.Add(
            QString("/c%1.html").arg(level).toStdString(),
            QString("<embed src='m%1.swf'>%2")
                .arg(level)
                .arg(level < 29 ? QString("<iframe src='%1'></iframe>").arg(next.arg(level + 1))
                                : QString())
                .toStdString());
        expected << (level % 2 == 0 ? A("/m%1.swf") : B("/m%1.swf")).arg(level);
    }
    ASSERT_TRUE(Load(A("/c0.html")));
    EXPECT_EQ(Scan(5000), expected);
}

TEST_F(SnapshotSecurityTest, AFrameThatNeverReportsIsDroppedAndTheOthersStillList) {
    // The first frame's server answers only after the scan's budget: its document never exists.
    RawHttpServer slow([](const std::string&) {
        std::this_thread::sleep_for(std::chrono::seconds(3));
        return RawHttpServer::Response(200, "<embed src='slow.swf'>",
                                       "Content-Type: text/html\r\n");
    });
    pagesA.Add("/top.html", QString(R"(<embed src="top.swf">
<iframe src="/fine.html"></iframe>
<iframe src="http://localhost:%1/slow.html"></iframe>)")
                                .arg(slow.Port())
                                .toStdString());
    pagesA.Add("/fine.html", "<embed src='fine.swf'>");
    browser.Navigate(A("/top.html"));
    ASSERT_TRUE(WaitUntil([&] {
        return PageEval(
                   "try { frames[0].document.querySelector('embed') !== null } catch (e) { false "
                   "}") == true;
    }));
    EXPECT_EQ(Scan(1000), QStringList({A("/top.swf"), A("/fine.swf")}));
}
