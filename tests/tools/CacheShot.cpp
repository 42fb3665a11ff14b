// Saves a picture of the cache tab listing movies from every source: the preview, the window's
// own browser, chromium and firefox-esr (run headless against a loopback page).
#include <QApplication>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>

#include "TestUtil.h"
#include "app/MainFrm.h"
#include "support/EveryCacheSource.h"
#include "support/Headless.h"
#include "support/ListRows.h"
#include "support/RealBrowserCaches.h"
#include "support/TestEnvironment.h"

int main(int argc, char** argv) {
    PrepareHeadless();
    const TUserFolders folders = IsolateHome();
    QApplication app(argc, argv);
    const QString out = argc > 1 ? argv[1] : "cache_tab.png";
    MovieServer server;
    TMainFrm frm(TestFolders());
    frm.show();
    if (!FillEveryCacheSource(frm, server, folders.cacheHome)) {
        std::printf("a browser did not fill its cache\n");
        return 1;
    }
    frm.PageControl1->setCurrentIndex(1);
    WaitUntil([&] { return !frm.Busy(); }, 30000);
    SelectRow(frm.ListView2, 5);
    WaitUntil([] { return false; }, 3000);  // the movie starts playing
    return frm.grab().save(out) ? 0 : 1;
}
