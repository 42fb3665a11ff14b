// The deep scan: movies the page scan's rules miss, from the page's documents and from what the
// page fetched, listed after the page scan's own rows while the option is on.
#include <QAction>
#include <QWebEngineProfile>

#include "app/MainFrm.h"
#include "web/NetworkMovies.h"
#include "web/WebBrowser.h"

void TMainFrm::ConnectDeepScan() {
    NetworkMovies = new TNetworkMovies(WebBrowser1->page()->profile()->cachePath(), this);
    connect(WebBrowser1, &TWebBrowser::ResourceRequested, NetworkMovies, &TNetworkMovies::Request);
    connect(NetworkMovies, &TNetworkMovies::NavigationStarted, this,
            [this] { pageScanned_ = false; });
    connect(NetworkMovies, &TNetworkMovies::MovieFound, this, &TMainFrm::NetworkMovieFound);
    connect(DeepScan1, &QAction::toggled, NetworkMovies, &TNetworkMovies::SetCacheChecks);
}

void TMainFrm::NetworkMovieFound(const QString& url) {
    // Before the scan the movie waits for it; afterwards it is a row of its own.
    if (DeepScan1->isChecked() && pageScanned_) {
        core_->AddNetworkMovie(url, WebBrowser1->url().toString());
    }
}
