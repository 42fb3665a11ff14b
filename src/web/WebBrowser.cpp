#include "web/WebBrowser.h"

TWebBrowser::TWebBrowser(QWidget* parent) : QWebEngineView(parent) {
    // A view shown makes a page of its own: in a window, hidden until it has the one it shows.
    if (parent) {
        hide();
    }
}

TBrowserPage* TWebBrowser::Page() {
    if (!page_) {
        page_ = new TBrowserPage(BrowserProfile(), this);
        setPage(page_);
        connect(page_, &TBrowserPage::DocumentComplete, this, &TWebBrowser::DocumentComplete);
        if (parentWidget()) {
            show();
        }
    }
    return page_;
}
