#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <vector>

// The movies a page and its frames fetched since their navigation began: requests whose address
// names a ".swf", and requests the embedded browser's cache holds as Flash movies (by type or
// signature), checked off the user-interface thread once the engine has written them. Movies
// keep arriving while the page stays open; a new navigation starts over.
class TNetworkMovies : public QObject {
    Q_OBJECT
  public:
    // profileCache: the cache path of the embedded browser's profile.
    TNetworkMovies(QString profileCache, QObject* parent = nullptr);

    // A request of the page (type: QWebEngineUrlRequestInfo::ResourceType).
    void Request(const QString& url, int type);
    // Whether responses are looked for in the cache; requests wait meanwhile.
    void SetCacheChecks(bool on);
    // This navigation's movies, in the order found.
    const QStringList& Movies() const { return movies_; }

  signals:
    void NavigationStarted();
    void MovieFound(const QString& url);

  private:
    struct Pending {
        QString url;
        qint64 sinceMs;
    };
    void Add(const QString& url);
    void CheckCache();
    void Checked(int navigation, const QStringList& movies, const QStringList& seen);

    const QString profileCache_;
    QStringList movies_;
    std::vector<Pending> pending_;
    QTimer timer_;
    bool cacheChecks_ = false;
    bool checking_ = false;
    int navigation_ = 0;
};
