#pragma once

#include <QString>
#include <QWebEngineView>
#include <functional>
#include <memory>
#include <optional>

#include "discovery/DocumentSnapshot.h"

class QWebEngineProfile;

// The program's own browser profile: persistent, with a disk HTTP cache under the user's cache
// folder "vimbrel", and the snapshot script in every frame of every page.
QWebEngineProfile* BrowserProfile();

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

    // Describes the loaded page; ready runs once, later, on this thread. Frames that do not
    // answer within frameBudgetMs are left out.
    void RequestSnapshot(SnapshotReady ready, int frameBudgetMs = 2000);

signals:
    void DocumentComplete(bool loaded);

private:
    void Poll(int id, int attemptsLeft, SnapshotReady ready);
    // Cleared when the browser goes: answers the page still owes then are dropped.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
