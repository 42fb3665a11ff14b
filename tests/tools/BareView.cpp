// The peer of the start-up benchmark: a bare browser view, the least a program that shows web
// pages in a window starts with. Opens the address it is given, if any.
#include <QApplication>
#include <QUrl>
#include <QWebEngineView>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWebEngineView view;
    view.setWindowTitle("Bare view");
    view.resize(892, 592);
    view.show();
    if (argc > 1) {
        view.load(QUrl::fromUserInput(QString::fromLocal8Bit(argv[1])));
    }
    return app.exec();
}
