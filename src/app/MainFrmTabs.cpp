// Tab switching, the cache scan it starts, the toolbar layout and the buttons' hover colours.
#include <QAction>
#include <QComboBox>
#include <QFrame>
#include <QTabWidget>
#include <QTreeWidget>

#include <QDir>
#include <QWebEngineProfile>

#include "app/MainFrm.h"
#include "app/ToolbarLayout.h"
#include "logic/FindCacheThread.h"
#include "platform/UrlCache.h"
#include "platform/UrlCacheStore.h"
#include "web/WebBrowser.h"
#include "widgets/LbSpeedButton.h"

void TMainFrm::PageControl1Change() {
    const bool web = PageControl1->currentIndex() == 0;
    Download1->setEnabled(web);
    Download2->setEnabled(web);
    CopyFlash1->setEnabled(!web);
    CopyFlash2->setEnabled(!web);
    LbSpeedButton3->SetCaption(web ? "Download Flash" : "Copy Flash To");
    if (!web && ListView2->topLevelItemCount() == 0) {
        StartCacheScan();
    }
}

void TMainFrm::SelectPageInCode(int page) {
    changingPageInCode_ = true;
    PageControl1->setCurrentIndex(page);
    changingPageInCode_ = false;
}

void TMainFrm::StartCacheScan() {
    // Paths are read here; looking in the folders and copying movies out is the worker's.
    const QString embedded = BrowserProfile()->cachePath();
    ScanWorker = new TFindCacheEntryThread(
        [folders = folders_, embedded] {
            return EnumerateUrlCache(
                TUrlCacheStore::Shared(),
                BrowserCacheFolders(folders.home, folders.cacheHome, folders.configHome, embedded));
        },
        [this](const CacheRow& row) {
            AppendCacheRow(row.index, row.name, row.size, row.localPath);
        },
        [this] { FinishCacheScan(); }, this);
    busy_.cacheScan = true;  // only once the worker exists
    ShowStatus("Done");
}

void TMainFrm::FinishCacheScan() {
    ScanWorker = nullptr;  // released after this
    busy_.cacheScan = false;
}

void TMainFrm::ArrangeToolbar() {
    const ToolbarPositions at = ArrangeToolbarPositions(OuterWidth(), Panel4->width());
    LbSpeedButton1->move(at.selectAllLeft, LbSpeedButton1->y());
    LbSpeedButton2->move(at.deselectAllLeft, LbSpeedButton2->y());
    LbSpeedButton3->move(at.transferLeft, LbSpeedButton3->y());
    LbSpeedButton6->move(at.goLeft, LbSpeedButton6->y());
    UrlComBox->resize(at.addressWidth, UrlComBox->height());
}

void TMainFrm::LbSpeedButtonMouseEnter(TLbSpeedButton* sender) {
    sender->SetFontColor(QColor(0, 0, 255));
}

void TMainFrm::LbSpeedButtonMouseExit(TLbSpeedButton* sender) {
    sender->SetFontColor(QColor(0, 0, 0));
}
