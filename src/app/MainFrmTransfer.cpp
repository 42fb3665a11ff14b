// The transfer command: downloads the ticked web rows one after another, or copies the ticked
// cache rows, into a folder the user picks.
#include <QFileInfo>
#include <QTabWidget>
#include <QTreeWidget>

#include "app/MainFrm.h"
#include "logic/AddressResolution.h"
#include "logic/CacheCopyThread.h"
#include "logic/HttpGetThread.h"
#include "logic/TargetNames.h"
#include "widgets/BrowseFolderDlg.h"
#include "widgets/ListGrid.h"
#include "widgets/ModalDialogs.h"
#include "widgets/MsgBox.h"

namespace {
constexpr int kStatusColumn = 2;
constexpr int kFlashColumn = 1;
constexpr int kLocalPathColumn = 3;

bool AnyTicked(const QTreeWidget* list) {
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        if (IsTicked(list->topLevelItem(i))) {
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
    if (!AnyTicked(web ? ListView1 : ListView2)) {
        auto* reminder = new TMsgForm(this);  // kept until the program ends
        RunModal(*reminder);
        return;
    }
    if (!BrowseFolderDialog || RunModal(*BrowseFolderDialog) != QDialog::Accepted) {
        return;
    }
    TargetFolder = BrowseFolderDialog->ChosenFolder;
    if (TargetFolder.isEmpty()) {
        return;
    }
    if (web) {
        failedInChain_.clear();
        savedInChain_.clear();
        SelectNextDownload();
        if (!DownloadUrl.isEmpty() && !TargetFile.isEmpty()) {
            ShowStatus("Downloading " + DownloadUrl);
            StartDownload();
        }
    } else {
        CopyList.clear();
        for (int i = 0; i < ListView2->topLevelItemCount(); ++i) {
            QTreeWidgetItem* row = ListView2->topLevelItem(i);
            if (IsTicked(row)) {
                CopyList << row->text(kLocalPathColumn);
            }
        }
        // Busy only once the worker exists: one that cannot start changes nothing.
        CopyWorker = new TCacheCopyThread(
            TargetFolder, CopyList,
            [this](int position, const QString& target) {
                SetProgress(position);
                ShowStatus("Copying To: " + target);
            },
            [this] { FinishTransfer(); }, this);
        busy_.copy = true;
    }
}

QString TMainFrm::TargetFileFor(const QString& address) const {
    const QString name = MovieFileName(address);
    return name.isEmpty() ? QString() : TargetFolder + name;
}

void TMainFrm::SelectNextDownload() {
    DownloadUrl.clear();
    TargetFile.clear();
    DownloadRow = -1;
    downloadRowRef_ = QPersistentModelIndex();
    for (int i = 0; i < ListView1->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = ListView1->topLevelItem(i);
        const QPersistentModelIndex ref(ListView1->indexFromItem(row));
        if (!IsTicked(row) || row->text(kStatusColumn) == "Saved" || failedInChain_.contains(ref)) {
            continue;
        }
        if (!IsHttpAddress(row->text(kFlashColumn))) {
            // Addresses come from pages: another scheme is never fetched, so the row fails here.
            row->setText(kStatusColumn, "Failed");
            failedInChain_ << ref;
            continue;
        }
        DownloadRow = i;
        downloadRowRef_ = ref;
        DownloadUrl = row->text(kFlashColumn);
        const QString name = MovieFileName(DownloadUrl);
        if (!name.isEmpty()) {
            TargetFile = UniqueTargetPath(TargetFolder, name, savedInChain_,
                                          [](const QString& p) { return QFileInfo::exists(p); });
        }
        return;
    }
}

void TMainFrm::StartDownload() {
    const QString target = TargetFile;
    DownloadWorker = new THttpGetThread(
        DownloadUrl, TargetFile, [this](int position) { SetProgress(position); },
        [this, target](bool saved) { FinishDownload(saved, target); }, HttpOptions, this);
    busy_.downloadChain = true;  // only once the worker exists
}

void TMainFrm::FinishDownload(bool saved, const QString& target) {
    // The worker releases itself after this: nothing may point at it.
    const bool started = DownloadWorker != nullptr;
    DownloadWorker = nullptr;
    // The row is found by itself: a row cleared or rebuilt meanwhile is not marked.
    if (started && downloadRowRef_.isValid()) {
        QTreeWidgetItem* row = ListView1->topLevelItem(downloadRowRef_.row());
        row->setText(kStatusColumn, saved ? "Saved" : "Failed");
        if (!saved) {
            failedInChain_ << downloadRowRef_;
        }
    }
    if (saved) {
        savedInChain_.insert(target);
    }
    SetProgress(0);
    ShowStatus("Done");
    busy_.downloadChain = false;
    SelectNextDownload();
    if (!DownloadUrl.isEmpty() && !TargetFile.isEmpty()) {
        ShowStatus("downloading " + DownloadUrl);
        StartDownload();
    }
}
