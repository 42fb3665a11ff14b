#pragma once

#include <QDesktopServices>
#include <QObject>
#include <QStringList>
#include <QUrl>

// Records what the program asks the desktop to open, instead of opening it, while it lives.
class TUrlOpenings : public QObject {
    Q_OBJECT
  public:
    TUrlOpenings() {
        for (const char* scheme : {"http", "https", "file", "chm"}) {
            QDesktopServices::setUrlHandler(scheme, this, "Open");
        }
    }
    ~TUrlOpenings() override {
        for (const char* scheme : {"http", "https", "file", "chm"}) {
            QDesktopServices::unsetUrlHandler(scheme);
        }
    }
    QStringList opened;

  public slots:
    void Open(const QUrl& url) { opened << url.toString(); }
};
