#include <QApplication>

#include "app/MainFrm.h"
#include "transfers/BrowseFolderDlg.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    TMainFrm mainFrm;
    TBrowseFolderDialog browseFolderDialog(&mainFrm);  // hidden until a transfer asks
    mainFrm.BrowseFolderDialog = &browseFolderDialog;
    mainFrm.show();
    return app.exec();
}
