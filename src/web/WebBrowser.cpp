#include "web/WebBrowser.h"

TWebBrowser::TWebBrowser(QWidget* parent)
    : QWebEngineView(parent), page_(new TBrowserPage(BrowserProfile(), this)) {
    setPage(page_);
    connect(page_, &TBrowserPage::DocumentComplete, this, &TWebBrowser::DocumentComplete);
}
