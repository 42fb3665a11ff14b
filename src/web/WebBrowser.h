#pragma once

#include <QString>
#include <QWebEngineView>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "logic/DocumentSnapshot.h"
#include "logic/SnapshotReports.h"

class QWebEngineProfile;

// The program's own browser profile: persistent, with a disk HTTP cache under the user's cache
// folder "vimbrel", and the snapshot script in every frame of every page.
QWebEngineProfile* BrowserProfile();

// The secret of this run that authenticates the snapshot script's reports.
const QString& SnapshotSecret();

// The embedded browser. DocumentComplete follows every finished load of the main frame; a
// snapshot of the loaded page (all its frames, cross-origin ones included) is taken on request.
class TWebBrowser : public QWebEngineView {
    Q_OBJECT
  public:
    using SnapshotReady =
        std::function<void(std::optional<DocumentSnapshot> snapshot, const QString& error)>;

    explicit TWebBrowser(QWidget* parent = nullptr);
    ~TWebBrowser() override;

    void Navigate(const QString& address);

    // Describes the loaded page; ready runs once, later, on this thread. Every frame reports its
    // own document; frames that have not reported within frameBudgetMs are left out. deep adds
    // what only the deep scan reads.
    void RequestSnapshot(SnapshotReady ready, int frameBudgetMs = 2000, bool deep = false);

  signals:
    void DocumentComplete(bool loaded);
    // A request of the page or one of its frames (type: QWebEngineUrlRequestInfo::ResourceType);
    // a main-frame request starts a new navigation.
    void ResourceRequested(const QString& url, int type);

  private:
    struct PendingSnapshot {
        SnapshotCollector collector;
        SnapshotReady ready;
    };
    void TakeReport(const ReportLine& line);
    // Hands the snapshot over as far as it got; the error when the top never reported.
    void Finish(const QString& scan, const QString& errorIfNoTop);

    std::map<QString, PendingSnapshot> snapshots_;  // scan -> its reports so far
    // Cleared when the browser goes: answers the page still owes then are dropped.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
