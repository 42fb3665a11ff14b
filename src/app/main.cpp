#include <QApplication>

#include "app/MainFrm.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    TMainFrm mainFrm;
    mainFrm.show();
    return app.exec();
}
