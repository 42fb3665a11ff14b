// The program: the commands that need no browser run here; the window and the scan, which need
// the browser engine and its large libraries, run in the browser part it hands over to. So a
// batch of gets starts as fast as a small tool does.
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>  // strerror

#include "app/cli/CliCommand.h"
#include "app/cli/CommandLine.h"

namespace {
// The browser part: beside the program (a build), or in its installed libexec folder.
QByteArray BrowserPart() {
    const QString folder = QFileInfo(QFile::symLinkTarget("/proc/self/exe")).path();
    const QString beside = folder + "/vimbrel-gui";
    return QFile::encodeName(
        QFileInfo::exists(beside) ? beside : folder + "/../libexec/vimbrel/vimbrel-gui");
}
}  // namespace

int main(int argc, char* argv[]) {
    const bool window = !WantsCommandLine(argc, argv);
    if (window && !WindowDisplayProblem().isEmpty()) {
        std::fprintf(stderr, "vimbrel: %s\n", WindowDisplayProblem().toLocal8Bit().constData());
        return kExitUsage;
    }
    if (window || CommandNeedsBrowser(argv[1])) {
        const QByteArray part = BrowserPart();
        ::execv(part.constData(), argv);
        std::fprintf(stderr, "vimbrel: cannot start %s: %s\n", part.constData(),
                     std::strerror(errno));
        return kExitFailure;
    }
    return RunCommandLine(argc, argv,
                          {[](const QString&) { return CoreCommands(); },
                           [](int& count, char** values) {
                               return std::make_unique<QCoreApplication>(count, values);
                           }});
}
