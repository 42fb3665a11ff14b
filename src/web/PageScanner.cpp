#include "web/PageScanner.h"

#include <QWebEngineProfile>

#include "web/BrowserPage.h"
#include "web/EngineRecorder.h"
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
    ending_ = false;
    result_ = TPageScanResult{TOutcome::Done(), url, {}, {}, 0, {}};
    found_ = TFoundMovieList();
    if (options_.archive) {
        PrepareRecordedPage();
        page_ = std::exchange(standby_, nullptr);
        recorder_ = std::exchange(standbyRecorder_, nullptr);
    } else {
        page_ = new TBrowserPage(profile_, this);
    }
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
    if (!options_.archive) {
        page_->Navigate(url);
        return;
    }
    connect(recorder_, &TEngineRecorder::Note, this,
            [this](const QString& text) { result_.notes << text; });
    // The page loads once the engine reports its answers, so the first is recorded too.
    if (recorder_->IsReady()) {
        page_->Navigate(url);
    } else {
        connect(recorder_, &TEngineRecorder::Ready, page_, [this, url] { page_->Navigate(url); });
    }
    // The next page's recording gets ready while this one loads.
    PrepareRecordedPage();
}

void TPageScanner::PrepareRecordedPage() {
    if (standby_) {
        return;
    }
    standby_ = new TBrowserPage(profile_, this);
    // A few recorders take turns, each with its tools page kept: one records the page being
    // scanned, one the end of the page before, one gets ready on the next.
    for (TEngineRecorder* recorder : recorders_) {
        if (recorder != recorder_ && !recorder->IsFinishing()) {
            recorder->disconnect();  // from the page it recorded last
            recorder->Attach(standby_);
            standbyRecorder_ = recorder;
            return;
        }
    }
    standbyRecorder_ = new TEngineRecorder(standby_, options_.archive, {}, this);
    recorders_.push_back(standbyRecorder_);
}

void TPageScanner::End(const TOutcome& outcome) {
    if (!done_ || ending_) {
        return;
    }
    ending_ = true;
    timeout_.stop();
    wait_.stop();
    result_.outcome = outcome;
    result_.title = page_->title();
    if (outcome) {
        result_.movies = found_.Movies();
        result_.scriptsUnread = found_.scriptsUnread;
    }
    scan_->disconnect(this);
    if (recorder_) {
        // The page's last answers are written while the next page loads; the page stays until
        // they are.
        recorder_->disconnect(this);
        ++recording_;
        recorder_->Finish([this, page = page_] {
            page->deleteLater();
            if (--recording_ == 0 && recorded_) {
                std::exchange(recorded_, nullptr)();
            }
        });
        page_ = nullptr;
    }
    Deliver();
}

void TPageScanner::WhenRecorded(std::function<void()> done) {
    if (recording_ == 0) {
        done();
    } else {
        recorded_ = std::move(done);
    }
}

void TPageScanner::Deliver() {
    const auto done = std::move(done_);
    done_ = nullptr;
    if (page_) {
        page_->deleteLater();  // it may be delivering the signal that ended its scan
    }
    page_ = nullptr;
    scan_ = nullptr;
    recorder_ = nullptr;
    done(result_);
}
