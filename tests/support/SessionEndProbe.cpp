// A stand-in for the program in the middle of a transfer, for the session-end tests: runs one
// download ("download URL FILE") or one copy ("copy FOLDER/ SOURCE_FOLDER") as the window does,
// with the program's own session-end handling. Exits 0 when the transfer ends by itself.
#include <QCoreApplication>
#include <QDir>

#include "app/SessionEnd.h"
#include "logic/CacheCopyThread.h"
#include "logic/HttpGetThread.h"
#include "logic/WorkerThread.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    InstallSessionEndHandling();
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        return 2;
    }
    if (args[1] == "download") {
        new THttpGetThread(
            args[2], args[3], [](int) {}, [](bool) { QCoreApplication::quit(); });
    } else {
        QStringList sources;
        for (const QFileInfo& f : QDir(args[3]).entryInfoList(QDir::Files, QDir::Name)) {
            sources << f.absoluteFilePath();
        }
        new TCacheCopyThread(
            args[2], sources, [](int, const QString&) {}, [] { QCoreApplication::quit(); });
    }
    const int result = app.exec();
    TWorkerThread::FinishAllBeforeExit(2000);  // as the program ends
    return result;
}
