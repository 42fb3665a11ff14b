#pragma once

#include <QObject>
#include <QString>

#include "logic/PageScan.h"

class TBrowserPage;
class TNetworkMovies;

// The scan of one browser page for Flash movies, as both front ends run it: every document the
// page finishes loading is scanned (the page scan's movies first, then with the deep scan what
// only it finds), and while the page stays open after its scan, each movie it fetches is told
// on its own (deep scan only). A newer document makes an older scan's result void.
class TLivePageScan : public QObject {
    Q_OBJECT
  public:
    // How long the frames of a page are given to describe themselves.
    static constexpr int kFrameBudgetMs = 2000;

    TLivePageScan(TBrowserPage* page, QObject* parent = nullptr);

    // Whether the deep scan runs; it may change while the page stays open.
    void SetDeep(bool deep);
    bool IsDeep() const { return deep_; }
    // The latest document has been scanned and no navigation has begun since.
    bool IsScanned() const { return scanned_; }

  signals:
    // A document's scan ended.
    void Scanned(const TFoundMovieList& found);
    // A movie the page fetched after its scan (page: the address of the document it was for).
    void NetworkMovie(const QString& url, const QString& page);
    // No scan could be made: the page did not load (pageLoaded false: it holds no movies), or it
    // could not be read.
    void Failed(const QString& reason, bool pageLoaded);

  private:
    void ScanDocument();

    TBrowserPage* const page_;
    TNetworkMovies* const network_;
    bool deep_ = false;
    bool scanned_ = false;
    int scans_ = 0;  // the latest document's scan
};
