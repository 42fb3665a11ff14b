#pragma once

#include <QString>
#include <QWebEngineView>

#include "web/BrowserPage.h"

// The embedded browser: a view of a browser page in the window's profile.
class TWebBrowser : public QWebEngineView {
    Q_OBJECT
  public:
    using SnapshotReady = TBrowserPage::SnapshotReady;

    explicit TWebBrowser(QWidget* parent = nullptr);

    TBrowserPage* Page() const { return page_; }
    void Navigate(const QString& address) { page_->Navigate(address); }
    void RequestSnapshot(SnapshotReady ready, int frameBudgetMs, bool deep = false) {
        page_->RequestSnapshot(std::move(ready), frameBudgetMs, deep);
    }

  signals:
    void DocumentComplete(bool loaded);

  private:
    TBrowserPage* page_;
};
