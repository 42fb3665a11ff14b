// The transfer command: downloads the ticked web rows one after another, or copies the ticked
// cache rows, into a folder the user picks.
#include <QFileInfo>
#include <QTabWidget>

#include "app/MainFrm.h"
#include "widgets/BrowseFolderDlg.h"
#include "widgets/ModalDialogs.h"
#include "widgets/MsgBox.h"

namespace {
bool AnyTicked(const TMovieListModel& movies) {
    for (int i = 0; i < movies.Count(); ++i) {
        if (movies.Row(i).ticked) {
            return true;
        }
    }
    return false;
}
}  // namespace

void TMainFrm::LbSpeedButton3Click() {
    if (Busy()) {
        return;
    }
    const bool web = PageControl1->currentIndex() == 0;
    if (!AnyTicked(ActiveMovies())) {
        auto* reminder = new TMsgForm(this);  // kept until the program ends
        RunModal(*reminder);
        return;
    }
    if (!BrowseFolderDialog) {
        return;
    }
    // The folder chosen last time, in an earlier run too, is offered first while it is there.
    const QString last = settings_.LastFolder();
    if (BrowseFolderDialog->ChosenFolder.isEmpty() && !last.isEmpty() && QFileInfo(last).isDir()) {
        BrowseFolderDialog->SelectPath(last);
    }
    if (RunModal(*BrowseFolderDialog) != QDialog::Accepted) {
        return;
    }
    TargetFolder = BrowseFolderDialog->ChosenFolder;
    if (TargetFolder.isEmpty()) {
        return;
    }
    KeepSetting(settings_.SetLastFolder(TargetFolder));
    if (web) {
        core_->Chain().Start(TargetFolder);
    } else {
        core_->StartCopy(TargetFolder);
    }
}
