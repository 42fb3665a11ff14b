#include "web/PageScanner.h"

#include <QWebEngineProfile>

#include "web/BrowserPage.h"
#include "web/NetworkMovies.h"
#include "web/ScriptCache.h"

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
    found_ = FoundMovieList();
    scanned_ = false;
    page_ = new TBrowserPage(profile_, this);
    network_ = new TNetworkMovies(profile_->cachePath(), page_);
    network_->SetCacheChecks(options_.deep);
    connect(page_, &TBrowserPage::ResourceRequested, network_, &TNetworkMovies::Request);
    connect(network_, &TNetworkMovies::MovieFound, this, [this](const QString& movie) {
        // A movie the page fetched after its scan is a row of its own.
        if (options_.deep && scanned_ && done_) {
            found_.SetSource(MovieSource::Network);
            found_.Add(movie, result_.page);
        }
    });
    connect(page_, &TBrowserPage::DocumentComplete, this, [this](bool loaded) {
        if (loaded && done_) {
            ScanDocument();
        }
    });
    // A page that failed to load holds no movies.
    connect(page_, &TBrowserPage::LoadFailed, this,
            [this](const QString& reason) { End(TOutcome::Failed(reason)); });
    timeout_.start(options_.timeoutMs);
    page_->Navigate(url);
}

void TPageScanner::ScanDocument() {
    const int scan = ++scans_;
    page_->RequestSnapshot(
        [this, scan](std::optional<DocumentSnapshot> snapshot, const QString& error) {
            if (scan != scans_ || !done_) {
                return;  // a newer document has been loaded meanwhile
            }
            if (!snapshot) {
                End(TOutcome::Failed(error));
                return;
            }
            ScanLoadedPageLater(
                page_, profile_->cachePath(), std::move(*snapshot), options_.deep,
                [network = network_] { return network->Movies(); },
                [this, scan](const FoundMovieList& found) {
                    if (scan != scans_ || !done_) {
                        return;
                    }
                    found_ = found;
                    scanned_ = true;
                    timeout_.stop();
                    if (!wait_.isActive()) {
                        wait_.start(options_.waitMs);
                    }
                });
        },
        TBrowserPage::kFrameBudgetMs, options_.deep);
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
    page_->disconnect(this);
    page_->deleteLater();  // it may be delivering the signal that ended its scan
    page_ = nullptr;
    network_ = nullptr;
    done(result_);
}
