// Page discovery: the address bar with the open browser tabs, navigation, and the page scan's
// findings shown in the web list.
#include <QAction>
#include <QComboBox>

#include "app/MainFrm.h"
#include "logic/AddressResolution.h"
#include "logic/PageScan.h"
#include "platform/OpenTabs.h"
#include "web/LivePageScan.h"
#include "web/WebBrowser.h"

int TMainFrm::FillAddressList() {
    const TOpenTabs open = OpenBrowserTabs(core_->Folders());
    if (!open.error.isEmpty()) {
        ReportError(open.error);  // the box keeps what it had
        return -1;
    }
    const QStringList pages = WebPagesAmong(open.tabs);
    if (pages.isEmpty()) {
        return 0;  // what the user typed stays
    }
    UrlComBox->clear();
    UrlComBox->addItems(pages);
    UrlComBox->setEditText(pages.last());
    return static_cast<int>(pages.size());
}

void TMainFrm::LbSpeedButton5Click() {
    if (FillAddressList() == 0) {
        ShowStatus("No web page is open in a desktop browser");
    }
}

void TMainFrm::LbSpeedButton6Click() {
    if (Busy()) {
        return;
    }
    const QString text = UrlComBox->currentText();
    if (text.isEmpty()) {
        return;
    }
    const QString lowered = LowerAscii(text);
    if (lowered.contains("file://")) {
        return;
    }
    const bool hasScheme = lowered.contains("http://") || lowered.contains("https://");
    ShowStatus((hasScheme ? "Openning Page " : "Openning Page http:// ") + lowered);
    NavigateRecorded(text);
}

void TMainFrm::OpenAddress(const QString& address) {
    UrlComBox->setEditText(address);
    LbSpeedButton6Click();
}

void TMainFrm::ConnectPageScan() {
    PageScan = new TLivePageScan(WebBrowser1->Page(), this);
    PageScan->SetDeep(DeepScan1->isChecked());
    connect(DeepScan1, &QAction::toggled, PageScan, &TLivePageScan::SetDeep);
    connect(PageScan, &TLivePageScan::Scanned, this, &TMainFrm::FinishPageScan);
    connect(PageScan, &TLivePageScan::NetworkMovie, core_, &TCore::AddNetworkMovie);
    connect(PageScan, &TLivePageScan::Failed, this, [this](const QString& reason, bool loaded) {
        if (loaded) {
            ReportError(reason);  // the list stays as it was
        } else {
            FinishPageScan({});  // a page that failed to load holds no movies
        }
    });
}

void TMainFrm::FinishPageScan(const TFoundMovieList& found) {
    core_->ShowPageScan(found);  // every row ticked, whichever tab is active
    ShowStatus("Done");
}
