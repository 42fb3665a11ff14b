#include "web/PageScanner.h"

#include <QWebEngineProfile>

#include "web/BrowserPage.h"
#include "web/LivePageScan.h"

TPageScanner::TPageScanner(QWebEngineProfile* profile, Options options, QObject* parent)
    : QObject(parent), profile_(profile), options_(options) {
    timeout_.setSingleShot(true);
    connect(&timeout_, &QTimer::timeout, this, [this] {
        End(TOutcome::Failed(
            QString("the page did not load within %1 s").arg(options_.timeoutMs / 1000.0)));
    });
    wait_.setSingleShot(true);
    connect(&wait_, &QTimer::timeout, this, [this] { End(TOutcome::Done()); });
}

TPageScanner::~TPageScanner() = default;

void TPageScanner::Scan(const QString& url, std::function<void(const TPageScanResult&)> done) {
    done_ = std::move(done);
    result_ = TPageScanResult{TOutcome::Done(), url, {}};
    found_ = TFoundMovieList();
    page_ = new TBrowserPage(profile_, this);
    scan_ = new TLivePageScan(page_, page_);
    scan_->SetDeep(options_.deep);
    connect(scan_, &TLivePageScan::Scanned, this, [this](const TFoundMovieList& found) {
        found_ = found;
        timeout_.stop();
        if (!wait_.isActive()) {
            wait_.start(options_.waitMs);
        }
    });
    connect(scan_, &TLivePageScan::NetworkMovie, this, [this](const QString& movie) {
        found_.SetSource(TMovieSource::Network);
        found_.Add(movie, result_.page);
    });
    connect(scan_, &TLivePageScan::Failed, this,
            [this](const QString& reason) { End(TOutcome::Failed(reason)); });
    timeout_.start(options_.timeoutMs);
    page_->Navigate(url);
}

void TPageScanner::End(const TOutcome& outcome) {
    if (!done_) {
        return;
    }
    timeout_.stop();
    wait_.stop();
    result_.outcome = outcome;
    if (outcome) {
        result_.movies = found_.Movies();
        result_.scriptsUnread = found_.scriptsUnread;
    }
    const auto done = std::move(done_);
    done_ = nullptr;
    scan_->disconnect(this);
    page_->deleteLater();  // it may be delivering the signal that ended its scan
    page_ = nullptr;
    scan_ = nullptr;
    done(result_);
}
