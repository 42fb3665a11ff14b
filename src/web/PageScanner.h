#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <vector>

#include "logic/PageScan.h"
#include "platform/Outcome.h"

class QWebEngineProfile;
class TBrowserPage;
class TEngineRecorder;
class TLivePageScan;
class TWarcWriter;

// What the scan of one page found.
struct TPageScanResult {
    TOutcome outcome;  // failed when the page did not load or could not be read
    QString page;      // the address loaded
    QString title;     // the page's, as far as it loaded
    std::vector<TFoundMovie> movies;
    int scriptsUnread = 0;  // external scripts the deep scan found no copy of in the cache
    QStringList notes;      // what the archive could not hold of the page
};

// Scans pages without a window, one after another, with the window's scan of a page: each page
// stays open for a while after its scan, and is given up when it does not load in time.
class TPageScanner : public QObject {
    Q_OBJECT
  public:
    struct Options {
        bool deep = false;
        int waitMs = 0;         // how long a page stays open after its scan
        int timeoutMs = 60000;  // for the page to load and be read
        // Where every answer the engine receives for each page is recorded; none when null.
        TWarcWriter* archive = nullptr;
    };

    TPageScanner(QWebEngineProfile* profile, Options options, QObject* parent = nullptr);
    ~TPageScanner() override;

    // Scans url; done runs once, later.
    void Scan(const QString& url, std::function<void(const TPageScanResult&)> done);
    // Runs done once every page scanned so far is recorded whole in the archive.
    void WhenRecorded(std::function<void()> done);

  private:
    void End(const TOutcome& outcome);
    void Deliver();
    // A page for the next address, whose recording is getting ready.
    void PrepareRecordedPage();

    QWebEngineProfile* const profile_;
    const Options options_;
    // A page of its own for each address: nothing of one page reaches the next.
    TBrowserPage* page_ = nullptr;
    TLivePageScan* scan_ = nullptr;
    TEngineRecorder* recorder_ = nullptr;
    TBrowserPage* standby_ = nullptr;  // with its recorder, when pages are archived
    TEngineRecorder* standbyRecorder_ = nullptr;
    std::vector<TEngineRecorder*> recorders_;
    int recording_ = 0;  // pages whose last answers are being written
    std::function<void()> recorded_;
    QTimer timeout_;
    QTimer wait_;
    std::function<void(const TPageScanResult&)> done_;
    bool ending_ = false;  // the page's answers are being written
    TPageScanResult result_;
    TFoundMovieList found_;
};
