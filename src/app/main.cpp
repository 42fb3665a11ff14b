#include "app/Application.h"
#include "app/MainFrm.h"
#include "app/SessionEnd.h"
#include "logic/WorkerThread.h"
#include "widgets/BrowseFolderDlg.h"

int main(int argc, char* argv[]) {
    TApplication app(argc, argv);
    InstallSessionEndHandling();
    int result = 0;
    {
        const TUserFolders folders = UserFoldersFromEnvironment();
        TMainFrm mainFrm(folders);
        // Hidden until a transfer asks for it.
        TBrowseFolderDialog browseFolderDialog(folders.home, &mainFrm);
        mainFrm.BrowseFolderDialog = &browseFolderDialog;
        mainFrm.show();
        result = app.exec();
    }
    // A preview still fetching is stopped before the network library is shut down.
    TWorkerThread::FinishAllBeforeExit(2000);
    return result;
}
