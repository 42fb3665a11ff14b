#pragma once

#include <QString>
#include <QWebEngineView>

#include "web/BrowserPage.h"

// The embedded browser: a view of a browser page in the window's profile. The page, and with it
// the browser engine, is made when first asked for; the view shows from then.
class TWebBrowser : public QWebEngineView {
    Q_OBJECT
  public:
    using SnapshotReady = TBrowserPage::SnapshotReady;

    explicit TWebBrowser(QWidget* parent = nullptr);

    TBrowserPage* Page();
    void Navigate(const QString& address) { Page()->Navigate(address); }
    void RequestSnapshot(SnapshotReady ready, int frameBudgetMs, bool deep = false) {
        Page()->RequestSnapshot(std::move(ready), frameBudgetMs, deep);
    }

  signals:
    void DocumentComplete(bool loaded);

  private:
    TBrowserPage* page_ = nullptr;
};
