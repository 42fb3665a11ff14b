#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include "TestUtil.h"
#include "app/MainFrm.h"
#include "support/EveryCacheSource.h"
#include "support/Files.h"
#include "support/ListRows.h"
#include "support/RealBrowserCaches.h"
#include "support/TestEnvironment.h"
#include "web/FlashPlayer.h"

namespace {
// The group of a row name: which source gave it.
QString Source(const QString& name) {
    return name.section('-', 0, 0);
}
}  // namespace

// Movies from the preview, the embedded browser, chromium and firefox-esr, each listed once, in
// that order, byte-identical to what was served; a second scan copies nothing again.
TEST(CacheTab, ListsTheMoviesOfEverySourceOnce) {
    const QString cacheHome = TestFolders().cacheHome;
    MovieServer server;
    TMainFrm frm(TestFolders());
    frm.show();
    ASSERT_TRUE(FillEveryCacheSource(frm, server, cacheHome));
    const QString store = cacheHome + "/vimbrel/store";

    QTabBar* tabs = frm.PageControl1->tabBar();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    ASSERT_TRUE(WaitUntil([&] { return !frm.Busy(); }, 30000));
    const QStringList names = Column(frm.ListView2, 1);
    QStringList sources;
    for (const QString& name : names) {
        if (sources.isEmpty() || sources.last() != Source(name)) {
            sources << Source(name);
        }
    }
    EXPECT_EQ(sources, QStringList({"prev", "own", "chr", "ff"})) << names.join(" ").toStdString();
    QStringList sorted = names;
    sorted.sort();
    EXPECT_EQ(sorted, QStringList({"chr-a[1].swf", "chr-get[1].swf", "chr-z[1].swf", "ff-a[1].swf",
                                   "ff-get[1].swf", "ff-z[1].swf", "own-a[1].swf", "own-get[1].swf",
                                   "own-z[1].swf", "prev-a[1].swf"}));
    EXPECT_EQ(Column(frm.ListView2, 0).first(), "1");
    EXPECT_EQ(Column(frm.ListView2, 0).last(), QString::number(names.size()));
    const ServedMovies movies = TestMovies();
    for (int i = 0; i < names.size(); ++i) {
        const QString path = Cell(frm.ListView2, i, 3);
        EXPECT_EQ(path, store + "/" + names[i]);
        const QByteArray want = names[i].contains("get[") ? movies.get
                                : names[i].contains("z[") ? movies.zipped
                                                          : movies.a;
        EXPECT_EQ(ReadAll(path), want) << names[i].toStdString();
        // The row tells where its movie came from: the address, and whose cache held it.
        const QString told =
            frm.ListView2->model()->index(i, 1).data(Qt::AccessibleDescriptionRole).toString();
        const QHash<QString, QString> holder = {{"prev", "Vimbrel's preview"},
                                                {"own", "Vimbrel's browser"},
                                                {"chr", "Chromium"},
                                                {"ff", "Firefox"}};
        EXPECT_TRUE(told.startsWith("http://") &&
                    told.contains("/" + names[i].section('[', 0, 0)) &&
                    told.endsWith(holder[Source(names[i])]))
            << told.toStdString();
        EXPECT_EQ(Cell(frm.ListView2, i, 2), QString::number(want.size()));
    }

    // Clearing the list and coming back scans again: the same rows, nothing copied again.
    const QDateTime copied = QFileInfo(store + "/chr-z[1].swf").lastModified();
    frm.ClearList1->trigger();
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    ASSERT_TRUE(WaitUntil([&] { return !frm.Busy(); }, 30000));
    EXPECT_EQ(Column(frm.ListView2, 1), names);
    EXPECT_EQ(QFileInfo(store + "/chr-z[1].swf").lastModified(), copied);
}
