// Saves a picture of the main window at its design size, with a few rows, for a look by eye.
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
    ListMovies(frm, {"http://127.0.0.1:8080/games/intro.swf", "http://127.0.0.1:8080/menu.swf",
                     "http://localhost:8081/Intro.SWF?x=1"});
    frm.SetAllChecked(true);
    SelectRow(frm.ListView1, 1);
    frm.SetProgress(40);
    QApplication::processEvents();
    return frm.grab().save(out) ? 0 : 1;
}
