// A stand-in for the program in the middle of a transfer, for the session-end tests: runs one
// download ("download URL FILE") or one copy ("copy FOLDER/ SOURCE_FOLDER") as the window does,
// with the program's own session-end handling. Exits 0 when the transfer ends by itself.
#include <QCoreApplication>
#include <QDir>
#include <memory>

#include "logic/CacheCopyThread.h"
#include "logic/HttpGetThread.h"
#include "logic/SessionEnd.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        return 2;
    }
    std::unique_ptr<TJob> job;
    if (args[1] == "download") {
        job = std::make_unique<THttpGetThread>(args[2], args[3]);
    } else {
        QStringList sources;
        for (const QFileInfo& f : QDir(args[3]).entryInfoList(QDir::Files, QDir::Name)) {
            sources << f.absoluteFilePath();
        }
        job = std::make_unique<TCacheCopyThread>(args[2], sources);
    }
    InstallSessionEndHandling([&job] { job->Cancel(); });
    QObject::connect(job.get(), &TJob::Finished, [] { QCoreApplication::quit(); });
    job->Start();
    return app.exec();  // the job goes as the program ends, waiting for its body
}
