#include <unistd.h>

#include "app/Application.h"
#include "app/MainFrm.h"
#include "app/cli/CommandLine.h"
#include "logic/SessionEnd.h"
#include "widgets/BrowseFolderDlg.h"

int main(int argc, char* argv[]) {
    // The web engine's sandbox cannot run as root: there it runs without, as Chromium does.
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    if (WantsCommandLine(argc, argv)) {
        return RunCommandLine(argc, argv);
    }
    TApplication app(argc, argv);
    const TUserFolders folders = UserFoldersFromEnvironment();
    UseProgramFolders(folders);  // before the store or the browser profile is first used
    TMainFrm mainFrm(folders);
    InstallSessionEndHandling([&mainFrm] { mainFrm.Core().CancelAll(); });
    // Hidden until a transfer asks for it.
    TBrowseFolderDialog browseFolderDialog(folders.home, &mainFrm);
    mainFrm.BrowseFolderDialog = &browseFolderDialog;
    mainFrm.show();
    if (argc == 2) {
        mainFrm.OpenAddress(QString::fromLocal8Bit(argv[1]));
    }
    return app.exec();
    // The window goes before the program ends, waiting for the jobs it cancelled.
}
