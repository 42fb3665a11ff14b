#include "app/Application.h"

#include <QIcon>
#include <QTimer>

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
    // The copy built into the program at once; the installed theme's icon, when there is one,
    // once the window is up (looking through the icon themes takes a while).
    setWindowIcon(QIcon(":/icon.png"));
    QTimer::singleShot(0, this, [] {
        if (QIcon::hasThemeIcon(VIMBREL_APP_ID)) {
            setWindowIcon(QIcon::fromTheme(VIMBREL_APP_ID));
        }
    });
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
