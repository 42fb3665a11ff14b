// A stand-in for the program in the middle of a copy, for the session-end tests: copies the
// files of SOURCE_FOLDER into FOLDER/ as the window does, with the program's own session-end
// handling. Exits 0 when the copy ends by itself.
#include <QCoreApplication>
#include <QDir>

#include "logic/CacheCopyThread.h"
#include "logic/SessionEnd.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        return 2;
    }
    QStringList sources;
    for (const QFileInfo& f : QDir(args[2]).entryInfoList(QDir::Files, QDir::Name)) {
        sources << f.absoluteFilePath();
    }
    TJobInstance<TCacheCopyThread> copy(args[1], sources);
    InstallSessionEndHandling([&copy] { copy.Cancel(); });
    QObject::connect(&copy, &TJob::Finished, [] { QCoreApplication::quit(); });
    copy.Start();
    return app.exec();  // the copy goes as the program ends, waiting for its body
}
