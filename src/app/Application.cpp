#include "app/Application.h"

#include <QIcon>

#include <exception>
#include "Version.h"
#include "widgets/ModalDialogs.h"

namespace {
void ShowError(const QString& text) {
    ShowErrorBox(QApplication::activeWindow(), text);
}
}  // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    Q_INIT_RESOURCE(app);
    setApplicationName("Vimbrel");
    setApplicationVersion(VIMBREL_VERSION);
    setDesktopFileName(VIMBREL_APP_ID);
    // The installed theme's icon when there is one, else the copy built into the program.
    setWindowIcon(QIcon::fromTheme(VIMBREL_APP_ID, QIcon(":/icon.png")));
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ShowError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ShowError("Unknown error.");
    }
    return false;
}
