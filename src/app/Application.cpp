#include "app/Application.h"

#include <QIcon>
#include <QMessageBox>

#include <exception>
#include "Version.h"

namespace {
TApplication::ErrorReport& Report() {
    static TApplication::ErrorReport report;
    return report;
}

void ShowError(const QString& text) {
    if (Report()) {
        Report()(text);
    } else {
        QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationName(), text);
    }
}
}  // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
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

void TApplication::SetErrorReport(ErrorReport report) {
    Report() = std::move(report);
}
