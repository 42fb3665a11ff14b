#include "web/NetworkMovies.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QWebEngineUrlRequestInfo>

#include "logic/AddressResolution.h"
#include "logic/Job.h"
#include "logic/PageScan.h"
#include "platform/UrlCache.h"
#include "web/PagePlayers.h"

namespace {
constexpr int kCheckEveryMs = 1000;
constexpr qint64 kGiveUpAfterMs = 15000;  // the engine writes an entry within moments

// Requests whose responses may be a movie under another name: fetched by scripts, plugins or
// media elements. Pages, images, styles, fonts and scripts are not looked up.
bool MayBeMovie(int type) {
    using Info = QWebEngineUrlRequestInfo;
    switch (type) {
        case Info::ResourceTypeXhr:
        case Info::ResourceTypeObject:
        case Info::ResourceTypePluginResource:
        case Info::ResourceTypeMedia:
        case Info::ResourceTypeSubResource:
        case Info::ResourceTypePrefetch:
        case Info::ResourceTypeUnknown:
            return true;
        default:
            return false;
    }
}

qint64 NowMs() {
    return QDateTime::currentMSecsSinceEpoch();
}
}  // namespace

TNetworkMovies::TNetworkMovies(QString profileCache, QObject* parent)
    : QObject(parent), profileCache_(std::move(profileCache)) {
    timer_.setInterval(kCheckEveryMs);
    connect(&timer_, &QTimer::timeout, this, &TNetworkMovies::CheckCache);
}

void TNetworkMovies::Request(const QString& url, int type) {
    if (type == QWebEngineUrlRequestInfo::ResourceTypeMainFrame) {
        ++navigation_;
        movies_.clear();
        pending_.clear();
        emit NavigationStarted();
        return;
    }
    if (!IsHttpAddress(url) || IsPagePlayerAddress(url)) {
        return;  // the page players' own fetches are not the page's
    }
    const int hash = url.indexOf('#');
    if (NamesMovie(hash < 0 ? url : url.left(hash))) {
        Add(url);
    } else if (MayBeMovie(type)) {
        pending_.push_back({url, NowMs()});
        if (cacheChecks_) {
            timer_.start();
        }
    }
}

void TNetworkMovies::SetCacheChecks(bool on) {
    cacheChecks_ = on;
    if (on && !pending_.empty()) {
        timer_.start();
    } else if (!on) {
        timer_.stop();
    }
}

void TNetworkMovies::Add(const QString& url) {
    if (!movies_.contains(url, Qt::CaseInsensitive)) {
        movies_ << url;
        emit MovieFound(url);
    }
}

void TNetworkMovies::CheckCache() {
    const qint64 now = NowMs();
    pending_.erase(
        std::remove_if(pending_.begin(), pending_.end(),
                       [&](const Pending& p) { return now - p.sinceMs > kGiveUpAfterMs; }),
        pending_.end());
    if (pending_.empty()) {
        timer_.stop();
        return;
    }
    if (checking_) {
        return;
    }
    checking_ = true;
    QStringList urls;
    for (const Pending& p : pending_) {
        urls << p.url;
    }
    using Answer = std::pair<QStringList, QStringList>;  // movies, and every address found
    RunInBackground<Answer>(
        this,
        [profile = profileCache_, urls] {
            QStringList seen;
            QStringList movies = MovieResponsesAmong(ChromiumCacheFolder(profile), urls, &seen);
            return Answer{movies, seen};
        },
        [this, navigation = navigation_](const Answer& answer) {
            Checked(navigation, answer.first, answer.second);
        });
}

void TNetworkMovies::Checked(int navigation, const QStringList& movies, const QStringList& seen) {
    checking_ = false;
    if (navigation != navigation_) {
        return;  // an answer about a page that has gone
    }
    pending_.erase(std::remove_if(pending_.begin(), pending_.end(),
                                  [&](const Pending& p) { return seen.contains(p.url); }),
                   pending_.end());
    for (const QString& url : movies) {
        Add(url);
    }
}
