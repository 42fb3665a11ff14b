// Tab switching, the cache scan it starts, the toolbar layout and the buttons' hover colours.
#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QTabWidget>
#include <QTimer>

#include "app/MainFrm.h"
#include "app/ToolbarLayout.h"
#include "web/FlashPlayer.h"
#include "widgets/LbSpeedButton.h"

void TMainFrm::PageControl1Change() {
    const bool web = PageControl1->currentIndex() == 0;
    EnableTransferCommands();
    // The preview plays while its list is shown.
    ShockwaveFlash1->SetPaused(previewList_ != (web ? ListView1 : ListView2));
    LbSpeedButton3->SetCaption(web ? "Download Flash" : "Copy Flash To");
    if (!web && core_->CacheMovies().Count() == 0) {
        core_->StartCacheScan();
        ShowStatus("Done");  // the scan itself writes no status
    }
}

void TMainFrm::SelectPageInCode(int page) {
    changingPageInCode_ = true;
    PageControl1->setCurrentIndex(page);
    changingPageInCode_ = false;
}

void TMainFrm::FinishCacheScan(const TOutcome& outcome) {
    if (!outcome) {
        // What could be read is listed all the same; the user learns what could not.
        ShowStatus("Not every cache could be read: " + outcome.reason);
    }
    if (quitWhenIdle_ && !Busy()) {
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

void TMainFrm::ArrangeToolbar() {
    const TToolbarPositions at = ArrangeToolbarPositions(OuterWidth(), Panel4->width());
    LbSpeedButton1->move(at.selectAllLeft, LbSpeedButton1->y());
    LbSpeedButton2->move(at.deselectAllLeft, LbSpeedButton2->y());
    LbSpeedButton3->move(at.transferLeft, LbSpeedButton3->y());
    StopButton->move(at.stopLeft, StopButton->y());
    LbSpeedButton6->move(at.goLeft, LbSpeedButton6->y());
    UrlComBox->resize(at.addressWidth, UrlComBox->height());
}

void TMainFrm::LbSpeedButtonMouseEnter(TLbSpeedButton* sender) {
    sender->SetFontColor(QColor(0, 0, 255));
}

void TMainFrm::LbSpeedButtonMouseExit(TLbSpeedButton* sender) {
    sender->SetFontColor(QColor(0, 0, 0));
}
