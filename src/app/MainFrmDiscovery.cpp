// Page discovery: the address bar with the open browser tabs, navigation, and the scan of every
// finished page for Flash movies.
#include <QAction>
#include <QComboBox>
#include <QWebEngineProfile>

#include "app/MainFrm.h"
#include "logic/AddressResolution.h"
#include "logic/PageScan.h"
#include "platform/OpenTabs.h"
#include "web/BrowserPage.h"
#include "web/NetworkMovies.h"
#include "web/ScriptCache.h"
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
    WebBrowser1->Navigate(text);
}

void TMainFrm::OpenAddress(const QString& address) {
    UrlComBox->setEditText(address);
    LbSpeedButton6Click();
}

void TMainFrm::WebBrowser1DocumentComplete(bool loaded) {
    const int scan = ++pageScan_;
    if (!loaded) {
        FinishPageScan({});  // a page that failed to load holds no movies
        return;
    }
    const bool deep = DeepScan1->isChecked();
    WebBrowser1->RequestSnapshot(
        [this, scan, deep](std::optional<DocumentSnapshot> snapshot, const QString& error) {
            if (scan != pageScan_) {
                return;  // a newer document has been loaded meanwhile
            }
            if (!snapshot) {
                ReportError(error);  // the list stays as it was
                return;
            }
            // The page scan's rows first, then what only the deep scan finds.
            ScanLoadedPageLater(
                this, WebBrowser1->page()->profile()->cachePath(), std::move(*snapshot), deep,
                [this] { return NetworkMovies->Movies(); },
                [this, scan](const FoundMovieList& found) {
                    if (scan == pageScan_) {
                        pageScanned_ = true;
                        FinishPageScan(found);
                    }
                });
        },
        TBrowserPage::kFrameBudgetMs, deep);
}

void TMainFrm::FinishPageScan(const FoundMovieList& found) {
    core_->ShowPageScan(found);  // every row ticked, whichever tab is active
    ShowStatus("Done");
}
