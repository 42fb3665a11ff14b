// Saves a picture of the main window, with a few rows, for a look by eye and for the help:
// main_window_shot [out.png [width height]] (the outer size; the design size when not given).
#include <QApplication>

#include "support/Headless.h"

#include "app/MainFrm.h"
#include "support/ListRows.h"
#include "support/TestEnvironment.h"

int main(int argc, char** argv) {
    PrepareHeadless();
    QApplication app(argc, argv);
    const QString out = argc > 1 ? argv[1] : "mainwindow.png";
    TMainFrm frm(TestFolders());
    frm.show();
    if (argc > 3) {
        frm.SetOuterSize(QString(argv[2]).toInt(), QString(argv[3]).toInt());
    }
    ListMovies(frm, {"http://127.0.0.1:8080/games/intro.swf", "http://127.0.0.1:8080/menu.swf",
                     "http://localhost:8081/Intro.SWF?x=1",
                     "http://static.games.example/archive/2009/collections/platformers/"
                     "levels/world-one/the-long-way-home-final-release.swf"});
    frm.SetAllChecked(true);
    SelectRow(frm.ListView1, 1);
    frm.SetProgress(40);
    QApplication::processEvents();
    // Shown as at work (the preview's fetch of a made-up address has failed meanwhile).
    frm.ShowStatus("Downloading http://127.0.0.1:8080/games/intro.swf");
    return frm.grab().save(out) ? 0 : 1;
}
