#pragma once

#include <QString>
#include <QWebEnginePage>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "logic/DocumentSnapshot.h"
#include "logic/SnapshotReports.h"

class QWebEngineProfile;

// The window's browser profile: persistent, with a disk HTTP cache under the user's cache
// folder "vimbrel", set up as every browser page of the program needs it.
QWebEngineProfile* BrowserProfile();

// Sets a profile up for the program's browser pages: the snapshot script in every frame of
// every page.
void PrepareBrowserProfile(QWebEngineProfile* profile);

// Has every http(s) page and frame of the profile's pages play its Flash movies in place (from
// their next load), or not.
void PlayFlashInPages(QWebEngineProfile* profile, bool on);

// The secret of this run that authenticates the snapshot script's reports.
const QString& SnapshotSecret();

// A browser page, shown in a window or not. DocumentComplete follows every finished load of the
// main frame; a snapshot of the loaded page (all its frames, cross-origin ones included) is
// taken on request; every request the page and its frames make is told.
class TBrowserPage : public QWebEnginePage {
    Q_OBJECT
  public:
    using SnapshotReady =
        std::function<void(std::optional<TDocumentSnapshot> snapshot, const QString& error)>;

    TBrowserPage(QWebEngineProfile* profile, QObject* parent);
    ~TBrowserPage() override;

    void Navigate(const QString& address);

    // Where the pages' own console messages go (page address, message): by default the
    // libraries' log; a front end may show them apart from its own, or drop them.
    using ConsoleSink = std::function<void(const QString& page, const QString& message)>;
    static void SetConsoleSink(ConsoleSink sink);

    // Describes the loaded page; ready runs once, later, on this thread. Every frame reports its
    // own document; frames that have not reported within frameBudgetMs are left out. deep adds
    // what only the deep scan reads.
    void RequestSnapshot(SnapshotReady ready, int frameBudgetMs, bool deep = false);

  signals:
    void DocumentComplete(bool loaded);
    // The main frame's load failed, and why (after DocumentComplete(false)).
    void LoadFailed(const QString& reason);
    // A request of the page or one of its frames (type: QWebEngineUrlRequestInfo::ResourceType);
    // a main-frame request starts a new navigation.
    void ResourceRequested(const QString& url, int type);

  protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                  int line, const QString& source) override;

  private:
    struct PendingSnapshot {
        TSnapshotCollector collector;
        SnapshotReady ready;
    };
    void TakeReport(const TReportLine& line);
    // Hands the snapshot over as far as it got; the error when the top never reported.
    void Finish(const QString& scan, const QString& errorIfNoTop);

    std::map<QString, PendingSnapshot> snapshots_;  // scan -> its reports so far
    static constexpr int kDownloadGraceMs = 500;
    bool movieShown_ = false;  // a movie's own address is being shown as a page
    int failedLoads_ = 0;
    QString failReason_;  // of the last load that failed
    // Cleared when the page goes: answers the page still owes then are dropped.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
