#include "web/LivePageScan.h"

#include <QWebEngineProfile>

#include "web/BrowserPage.h"
#include "web/NetworkMovies.h"
#include "web/ScriptCache.h"

TLivePageScan::TLivePageScan(TBrowserPage* page, QObject* parent)
    : QObject(parent),
      page_(page),
      network_(new TNetworkMovies(page->profile()->cachePath(), this)) {
    connect(page_, &TBrowserPage::ResourceRequested, network_, &TNetworkMovies::Request);
    connect(network_, &TNetworkMovies::NavigationStarted, this, [this] { scanned_ = false; });
    connect(network_, &TNetworkMovies::MovieFound, this, [this](const QString& url) {
        // Before the scan the movie waits for it; afterwards it is a row of its own.
        if (deep_ && scanned_) {
            emit NetworkMovie(url, page_->url().toString());
        }
    });
    connect(page_, &TBrowserPage::DocumentComplete, this, [this](bool loaded) {
        if (loaded) {
            ScanDocument();
        } else {
            ++scans_;  // an earlier document's scan no longer counts
        }
    });
    connect(page_, &TBrowserPage::LoadFailed, this,
            [this](const QString& reason) { emit Failed(reason, false); });
}

void TLivePageScan::SetDeep(bool deep) {
    deep_ = deep;
    network_->SetCacheChecks(deep);
}

void TLivePageScan::ScanDocument() {
    const int scan = ++scans_;
    page_->RequestSnapshot(
        [this, scan](std::optional<TDocumentSnapshot> snapshot, const QString& error) {
            if (scan != scans_) {
                return;  // a newer document has been loaded meanwhile
            }
            if (!snapshot) {
                emit Failed(error, true);
                return;
            }
            ScanLoadedPageLater(
                this, page_->profile()->cachePath(), std::move(*snapshot), deep_,
                [network = network_] { return network->Movies(); },
                [this, scan](const TFoundMovieList& found) {
                    if (scan == scans_) {
                        scanned_ = true;
                        emit Scanned(found);
                    }
                });
        },
        kFrameBudgetMs, deep_);
}
