// Times the page scan of a page with 10,000 EMBED elements spread over five documents on two
// origins: from the main frame's load finishing to the last row shown, then the same work split
// into snapshot, scan and list fill, and a plain querySelectorAll('embed') walk over the same
// frames run by the pages themselves; then the same with Flash playing in pages and without, and
// the load of a plain page both ways. Not a test: the machine is shared, so compare the ratio.
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QWebEnginePage>
#include <cstdio>

#include "TestUtil.h"
#include "app/MainFrm.h"
#include "logic/PageScan.h"
#include "support/Headless.h"
#include "support/ListRows.h"
#include "support/ManyMoviesSite.h"
#include "support/PageServer.h"
#include "support/TestEnvironment.h"
#include "web/LivePageScan.h"
#include "web/WebBrowser.h"
#include "widgets/StatusBar.h"

namespace {
double Ms(const QElapsedTimer& t) {
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}
}  // namespace

int main(int argc, char** argv) {
    PrepareHeadless();
    QTemporaryDir xdg;
    qputenv("XDG_CACHE_HOME", (xdg.path() + "/cache").toUtf8());
    qputenv("XDG_DATA_HOME", (xdg.path() + "/data").toUtf8());
    QApplication app(argc, argv);

    const TManyMoviesSite site;

    TMainFrm frm(TestFolders());
    frm.resize(900, 600);
    frm.show();
    QElapsedTimer sinceLoad;
    double shownMs = -1;
    QObject::connect(frm.WebBrowser1, &TWebBrowser::DocumentComplete, [&] { sinceLoad.start(); });
    QObject::connect(frm.StatusBar1, &TStatusBar::TextChanged, [&](const QString& text) {
        if (text == "Done" && sinceLoad.isValid()) {
            frm.ListView1->repaint();
            shownMs = Ms(sinceLoad);
        }
    });
    // The longest the window went without handling its events while a page was scanned.
    QElapsedTimer sinceTick;
    double longestStallMs = 0;
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        longestStallMs = std::max(longestStallMs, Ms(sinceTick));
        sinceTick.restart();
    });
    auto scanOnce = [&](bool playInPages, const std::string& query) {
        frm.PlayInPages1->setChecked(playInPages);
        shownMs = -1;
        longestStallMs = 0;
        sinceLoad.invalidate();
        sinceTick.start();
        ticks.start(10);
        frm.UrlComBox->setEditText(QString::fromStdString(site.Top() + query));
        frm.LbSpeedButton6Click();
        const bool done = WaitUntil([&] { return shownMs >= 0; }, 60000);
        QTest::qWait(1000);  // the players near the view start meanwhile
        ticks.stop();
        return done ? shownMs : -1;
    };
    const double withoutPlayersMs = scanOnce(false, "?off");
    const double withoutPlayersStallMs = longestStallMs;
    const double withPlayersMs = scanOnce(true, "");
    const double withPlayersStallMs = longestStallMs;
    if (withPlayersMs < 0 || withoutPlayersMs < 0) {
        std::printf("the page scan did not finish\n");
        return 1;
    }
    const int rows = Rows(frm.ListView1);
    int players = 0;
    bool counted = false;
    frm.WebBrowser1->page()->runJavaScript("document.querySelectorAll('ruffle-player').length",
                                           [&](const QVariant& v) {
                                               players = v.toInt();
                                               counted = true;
                                           });
    WaitUntil([&] { return counted; }, 5000);

    // A plain page, loaded ten times each way: in turns of five loads after one untimed load,
    // so that each way's first load after the switch is not counted.
    PageServer plain;
    plain.Add("/plain.html", "<h1>Plain</h1><p>" + std::string(20000, 'x') + "</p>");
    double plainMs[2] = {0, 0};
    auto loadPlain = [&](int i) {
        bool loaded = false;
        QElapsedTimer load;
        auto watch = QObject::connect(frm.WebBrowser1->page(), &QWebEnginePage::loadFinished,
                                      [&] { loaded = true; });
        load.start();
        frm.WebBrowser1->page()->load(
            QUrl(QString("http://127.0.0.1:%1/plain.html?%2").arg(plain.Port()).arg(i)));
        WaitUntil([&] { return loaded; }, 30000);
        QObject::disconnect(watch);
        return Ms(load);
    };
    for (int turn = 0; turn < 4; ++turn) {
        const bool play = turn % 2 == 0;
        frm.PlayInPages1->setChecked(play);
        loadPlain(turn * 10);
        for (int i = 1; i <= 5; ++i) {
            plainMs[play ? 0 : 1] += loadPlain(turn * 10 + i) / 10;
        }
    }
    frm.PlayInPages1->setChecked(true);
    frm.UrlComBox->setEditText(QString::fromStdString(site.Top()));
    frm.LbSpeedButton6Click();
    WaitUntil([&] { return Rows(frm.ListView1) == rows && frm.StatusBar1->Text() == "Done"; });

    // The same work again, step by step.
    QElapsedTimer t;
    t.start();
    std::optional<TDocumentSnapshot> snapshot;
    frm.WebBrowser1->RequestSnapshot(
        [&](std::optional<TDocumentSnapshot> s, const QString&) { snapshot = std::move(s); },
        TLivePageScan::kFrameBudgetMs);
    WaitUntil([&] { return snapshot.has_value(); }, 30000);
    const double snapshotMs = Ms(t);
    t.restart();
    TFoundMovieList found;
    if (snapshot) {
        ScanPage(*snapshot, found);
    }
    const double scanMs = Ms(t);
    t.restart();
    frm.FinishPageScan(found);
    frm.ListView1->repaint();
    const double fillMs = Ms(t);

    // The list filled as it was before the lists became models: one item per row, ticked one
    // by one, in a list of the same size and columns.
    QTreeWidget items;
    items.setColumnCount(3);
    items.setUniformRowHeights(true);
    items.setGeometry(frm.ListView1->geometry());
    items.show();
    t.restart();
    const QStringList addresses = found.Addresses();
    for (int i = 0; i < addresses.size(); ++i) {
        auto* row = new QTreeWidgetItem({QString::number(i + 1), addresses[i], "New"});
        row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable |
                      Qt::ItemNeverHasChildren);
        row->setCheckState(0, Qt::Unchecked);
        items.addTopLevelItem(row);
    }
    for (int i = 0; i < items.topLevelItemCount(); ++i) {
        items.topLevelItem(i)->setCheckState(0, Qt::Checked);
    }
    items.repaint();
    const double itemFillMs = Ms(t);

    // The plain walk: every document lists its own embeds and reports how long that took.
    frm.WebBrowser1->page()->runJavaScript(R"(
window.walkTotal = {documents: 0, walked: 0, ms: 0};
addEventListener('message', (e) => {
  if (e.data && e.data.walked !== undefined) {
    walkTotal.documents++; walkTotal.walked += e.data.walked; walkTotal.ms += e.data.ms;
  }
});
postMessage('walk', '*');
for (const path of [[0], [1], [1, 0], [2]]) {
  let w = window;
  for (const i of path) w = w[i];
  w.postMessage('walk', '*');
})");
    QVariantMap walk;
    WaitUntil(
        [&] {
            bool done = false;
            frm.WebBrowser1->page()->runJavaScript("walkTotal", [&](const QVariant& v) {
                walk = v.toMap();
                done = true;
            });
            WaitUntil([&] { return done; }, 5000);
            return walk.value("documents").toInt() == 5;
        },
        30000);
    const double walkMs = walk.value("ms").toDouble();

    std::printf("rows shown: %d (snapshot listed %lld)\n", rows,
                static_cast<long long>(found.Movies().size()));
    std::printf("load finished -> last row shown: %.1f ms\n", shownMs);
    std::printf("  split: snapshot %.1f ms, scan %.1f ms, list fill %.1f ms\n", snapshotMs, scanMs,
                fillMs);
    std::printf("list fill as before (an item per row): %.1f ms; ratio model / items %.2f\n",
                itemFillMs, itemFillMs > 0 ? fillMs / itemFillMs : 0.0);
    std::printf("plain querySelectorAll('embed') walk over the 5 documents: %.1f ms (%d embeds)\n",
                walkMs, walk.value("walked").toInt());
    std::printf("ratio program / plain walk: %.1f\n", walkMs > 0 ? shownMs / walkMs : 0.0);
    std::printf(
        "Flash in pages: load -> last row %.1f ms with, %.1f ms without (ratio %.2f); "
        "%d players started\n",
        withPlayersMs, withoutPlayersMs, withPlayersMs / withoutPlayersMs, players);
    std::printf("  longest the window went unresponsive: %.1f ms with, %.1f ms without\n",
                withPlayersStallMs, withoutPlayersStallMs);
    std::printf("plain page load: %.1f ms with Flash in pages, %.1f ms without (ratio %.2f)\n",
                plainMs[0], plainMs[1], plainMs[1] > 0 ? plainMs[0] / plainMs[1] : 0.0);
    return 0;
}
