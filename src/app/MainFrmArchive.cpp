// The window's web archive of the page it shows: recorded as the page loads, saved on request.
#include <QFileDialog>
#include <QFileInfo>
#include <QTimer>

#include "Version.h"
#include "app/MainFrm.h"
#include "logic/AddressResolution.h"
#include "platform/UserFolders.h"
#include "web/FlashPlayer.h"
#include "web/PagePlayers.h"
#include "web/PageRecording.h"
#include "web/WebBrowser.h"
#include "widgets/StatusBar.h"

namespace {
constexpr int kMostRecordingWaitMs = 3000;
}

void TMainFrm::ConnectPageRecording() {
    SaveWebArchive1->setEnabled(false);
    connect(WebBrowser1, &QWebEngineView::urlChanged, this, &TMainFrm::EnableSaveWebArchive);
    connect(SaveWebArchive1, &QAction::triggered, this, &TMainFrm::SaveWebArchiveClick);
}

// A page of the web is recorded; other addresses have nothing to save.
void TMainFrm::EnableSaveWebArchive() {
    SaveWebArchive1->setEnabled(PageRecording && IsHttpAddress(WebBrowser1->url().toString()));
}

void TMainFrm::NavigateRecorded(const QString& address) {
    if (!browserStarted_) {
        pendingAddress_ = address;  // opened once the engine starts, with the window up
        return;
    }
    if (!PageRecording) {
        // Made with the first page, so that the window comes up without waiting for it.
        PageRecording = new TPageRecording(WebBrowser1->Page(),
                                           ProgramFolders().cacheHome + "/vimbrel/page-archive",
                                           "Vimbrel " VIMBREL_VERSION, this);
        // The movies played in a page or previewed from it are archived with it, and what they
        // load.
        auto playersRecordInto = [this](std::shared_ptr<TWarcWriter> archive) {
            ShockwaveFlash1->SetArchive(archive);
            SharedPagePlayers().SetArchive(std::move(archive));
        };
        playersRecordInto(PageRecording->Current());
        connect(PageRecording, &TPageRecording::ArchiveChanged, this, playersRecordInto);
        connect(PageRecording, &TPageRecording::Note, this, &TMainFrm::ShowStatus);
        connect(PageRecording, &TPageRecording::Ready, this, &TMainFrm::NavigatePending);
    }
    if (PageRecording->IsReady()) {
        WebBrowser1->Navigate(address);
        return;
    }
    pendingAddress_ = address;  // the recording starts in a moment
    // A recording that cannot start never keeps the page from opening.
    QTimer::singleShot(kMostRecordingWaitMs, this, &TMainFrm::NavigatePending);
}

void TMainFrm::NavigatePending() {
    if (!pendingAddress_.isEmpty()) {
        WebBrowser1->Navigate(std::exchange(pendingAddress_, QString()));
    }
}

void TMainFrm::SaveWebArchiveClick() {
    QString name = QFileInfo(WebBrowser1->url().path()).completeBaseName();
    if (name.isEmpty()) {
        name = WebBrowser1->url().host();
    }
    QString chosen = QFileDialog::getSaveFileName(this, "Save Page as Web Archive",
                                                  QDir::home().filePath(name + ".warc.gz"),
                                                  "Web archive (*.warc.gz);;WACZ package (*.wacz)");
    if (chosen.isEmpty()) {
        return;
    }
    if (!chosen.endsWith(".wacz", Qt::CaseInsensitive) &&
        !chosen.endsWith(".warc.gz", Qt::CaseInsensitive)) {
        chosen += ".warc.gz";
    }
    SavePageArchive(chosen);
}

void TMainFrm::SavePageArchive(const QString& target) {
    ShowStatus("Saving the page as a web archive: " + target);
    SaveWebArchive1->setEnabled(false);
    PageRecording->SaveAs(target, [this, target](const TOutcome& saved) {
        EnableSaveWebArchive();
        if (saved) {
            ShowStatus("Saved the page as a web archive: " + target);
        } else {
            ShowStatus("The web archive was not saved: " + saved.reason);
            ReportError("The web archive was not saved: " + saved.reason);
        }
    });
}
