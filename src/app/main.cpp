// The browser part of the program: the window, and the scan command, which need the browser
// engine. The program hands over to it.
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "app/Application.h"
#include "app/MainFrm.h"
#include "app/cli/CliCommand.h"
#include "app/cli/CommandLine.h"
#include "app/cli/ScanCommand.h"
#include "logic/SessionEnd.h"
#include "widgets/BrowseFolderDlg.h"

namespace {
// The scan runs off screen: no display is needed, or used.
std::unique_ptr<QCoreApplication> OffScreenApplication(int& argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS")) {
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --log-level=3");
    }
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    auto application = std::make_unique<QApplication>(argc, argv);
    // The players of movies played off screen are windows; the command ends when it is done.
    QApplication::setQuitOnLastWindowClosed(false);
    return application;
}

std::vector<std::unique_ptr<TCliCommand>> BrowserCommands(const QString& profileFolder) {
    std::vector<std::unique_ptr<TCliCommand>> commands;
    commands.push_back(ScanCommand(profileFolder));
    return commands;
}
}  // namespace

int main(int argc, char* argv[]) {
    // The web engine's sandbox cannot run as root: there it runs without, as Chromium does.
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    if (WantsCommandLine(argc, argv)) {
        return RunCommandLine(argc, argv, {BrowserCommands, OffScreenApplication});
    }
    if (const QString problem = WindowDisplayProblem(); !problem.isEmpty()) {
        std::fprintf(stderr, "vimbrel: %s\n", problem.toLocal8Bit().constData());
        return kExitUsage;
    }
    TApplication app(argc, argv);
    const TUserFolders folders = UserFoldersFromEnvironment();
    UseProgramFolders(folders);  // before the store or the browser profile is first used
    TMainFrm mainFrm(folders);
    InstallSessionEndHandling([&mainFrm] { mainFrm.Core().CancelAll(); });
    mainFrm.show();
    // Hidden until a transfer asks for it: made once the window is up.
    TBrowseFolderDialog browseFolderDialog(folders.home, &mainFrm);
    mainFrm.BrowseFolderDialog = &browseFolderDialog;
    if (argc == 2) {
        mainFrm.OpenAddress(QString::fromLocal8Bit(argv[1]));
    }
    return app.exec();
    // The window goes before the program ends, waiting for the jobs it cancelled.
}
