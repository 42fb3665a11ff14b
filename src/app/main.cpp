#include "app/Application.h"
#include "app/MainFrm.h"
#include "logic/SessionEnd.h"
#include "widgets/BrowseFolderDlg.h"

int main(int argc, char* argv[]) {
    TApplication app(argc, argv);
    const TUserFolders folders = UserFoldersFromEnvironment();
    UseProgramFolders(folders);  // before the store or the browser profile is first used
    TMainFrm mainFrm(folders);
    InstallSessionEndHandling([&mainFrm] { mainFrm.Core().CancelAll(); });
    // Hidden until a transfer asks for it.
    TBrowseFolderDialog browseFolderDialog(folders.home, &mainFrm);
    mainFrm.BrowseFolderDialog = &browseFolderDialog;
    mainFrm.show();
    return app.exec();
    // The window goes before the program ends, waiting for the jobs it cancelled.
}
