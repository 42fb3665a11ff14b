#include "web/BrowserPage.h"

#include <algorithm>

#include <QCoreApplication>
#include <QFile>
#include <QTimer>
#include <QUrl>
#include <QWebEngineDownloadRequest>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>

#include "platform/BrowserFolders.h"
#include "platform/Secrets.h"
#include "platform/UrlCache.h"
#include "platform/UserFolders.h"
#include "web/PagePlayers.h"
#include "web/WebResources.h"

namespace {
const char* const kPagePlayersScript = "vimbrel-page-players";

// The frames that play the page's movies are the program's, not the page's: they are left out of
// what the page is said to be.
void DropPlayerFrames(TDocumentSnapshot& document) {
    auto& frames = document.frames;
    frames.erase(std::remove_if(
                     frames.begin(), frames.end(),
                     [](const TDocumentSnapshot& frame) { return IsPagePlayerAddress(frame.url); }),
                 frames.end());
    for (TDocumentSnapshot& frame : frames) {
        DropPlayerFrames(frame);
    }
}

// A page that is the movie of address and nothing else.
QString MoviePage(const QString& address) {
    const QString movie = address.toHtmlEscaped();
    return "<!doctype html><html><head><meta charset=\"utf-8\"><title>" + movie +
           "</title><style>html,body{margin:0;width:100%;height:100%;overflow:hidden}</style>"
           "</head><body><object type=\"application/x-shockwave-flash\" data=\"" +
           movie + "\" width=\"100%\" height=\"100%\"></object></body></html>";
}

QString SnapshotScriptSource() {
    return WebResource("snapshot.js").replace("@SNAPSHOT_SECRET@", SnapshotSecret());
}

// Tells the page of every request it and its frames make. The engine may call it on another
// thread; the page hears of it on its own.
class TRequestWatch : public QWebEngineUrlRequestInterceptor {
  public:
    explicit TRequestWatch(TBrowserPage* page)
        : QWebEngineUrlRequestInterceptor(page), page_(page) {}

    void interceptRequest(QWebEngineUrlRequestInfo& info) override {
        QMetaObject::invokeMethod(
            page_,
            [page = page_, url = info.requestUrl().toString(),
             type = static_cast<int>(info.resourceType())] {
                emit page->ResourceRequested(url, type);
            },
            Qt::QueuedConnection);
    }

  private:
    TBrowserPage* page_;
};
}  // namespace

const QString& SnapshotSecret() {
    static const QString secret = RandomHex(2);
    return secret;
}

void PrepareBrowserProfile(QWebEngineProfile* profile) {
    QWebEngineScript snapshot;
    snapshot.setName("vimbrel-snapshot");
    snapshot.setSourceCode(SnapshotScriptSource());
    snapshot.setInjectionPoint(QWebEngineScript::DocumentCreation);
    snapshot.setWorldId(QWebEngineScript::ApplicationWorld);
    snapshot.setRunsOnSubFrames(true);
    profile->scripts()->insert(snapshot);
}

void PlayFlashInPages(QWebEngineProfile* profile, bool on) {
    for (const QWebEngineScript& script : profile->scripts()->find(kPagePlayersScript)) {
        profile->scripts()->remove(script);
    }
    if (!on || !SharedPagePlayers().IsRunning()) {
        return;
    }
    QWebEngineScript players;
    players.setName(kPagePlayersScript);
    players.setSourceCode(
        WebResource("pageflash.js").replace("PLAYER_FRAME", SharedPagePlayers().FrameUrl()));
    players.setInjectionPoint(QWebEngineScript::DocumentCreation);
    // In the page's own world: its scripts must see the plugin, and the players live in its DOM.
    players.setWorldId(QWebEngineScript::MainWorld);
    players.setRunsOnSubFrames(true);
    profile->scripts()->insert(players);
}

QWebEngineProfile* BrowserProfile() {
    static QWebEngineProfile* profile = [] {
        auto* p = new QWebEngineProfile("vimbrel", QCoreApplication::instance());
        const TUserFolders folders = ProgramFolders();
        p->setCachePath(EmbeddedBrowserCache(folders));
        p->setPersistentStoragePath(folders.dataHome + "/vimbrel/browser");
        p->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
        PrepareBrowserProfile(p);
        return p;
    }();
    return profile;
}

TBrowserPage::TBrowserPage(QWebEngineProfile* profile, QObject* parent)
    : QWebEnginePage(profile, parent) {
    setUrlRequestInterceptor(new TRequestWatch(this));
    connect(this, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo& info) {
        if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
            failReason_.clear();
        } else if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus) {
            // An HTTP error's text is the engine's error page; its status says it plainly.
            failReason_ = info.errorDomain() == QWebEngineLoadingInfo::HttpStatusCodeDomain
                              ? QString("HTTP %1").arg(info.errorCode())
                              : info.errorString();
        }
    });
    connect(this, &QWebEnginePage::loadFinished, this, [this](bool loaded) {
        if (loaded) {
            emit DocumentComplete(true);
            return;
        }
        // A load that ends as a download fails just before the download is asked for: a movie's
        // own address gets a moment to turn into its page.
        const int failed = ++failedLoads_;
        QTimer::singleShot(kDownloadGraceMs, this, [this, failed] {
            if (failed == failedLoads_ && !movieShown_) {
                emit DocumentComplete(false);
                emit LoadFailed(failReason_.isEmpty() ? QString("The page did not load.")
                                                      : failReason_);
            }
            movieShown_ = false;
        });
    });
    // The engine plays no Flash: a movie's own address would be a download. It is shown as the
    // page instead, the movie filling it, as the plugin showed it.
    connect(profile, &QWebEngineProfile::downloadRequested, this,
            [this](QWebEngineDownloadRequest* download) {
                if (download->page() != this || download->isSavePageDownload()) {
                    return;
                }
                const QString address = download->url().toString();
                if (!IsFlashType(download->mimeType().toLatin1()) && !IsMovieAddress(address)) {
                    return;  // not accepted: the engine drops it
                }
                download->cancel();
                movieShown_ = true;
                setHtml(MoviePage(address), download->url());
            });
}

TBrowserPage::~TBrowserPage() {
    *alive_ = false;
}

void TBrowserPage::Navigate(const QString& address) {
    // Completing an address typed without a scheme is the browser's part.
    load(QUrl::fromUserInput(address));
}

namespace {
TBrowserPage::ConsoleSink& PageConsole() {
    static TBrowserPage::ConsoleSink sink;
    return sink;
}
}  // namespace

void TBrowserPage::SetConsoleSink(ConsoleSink sink) {
    PageConsole() = std::move(sink);
}

void TBrowserPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level,
                                            const QString& message, int line,
                                            const QString& source) {
    // The snapshot script's reports come this way; every other message goes the usual way.
    if (auto report = ParseReportLine(message, SnapshotSecret())) {
        TakeReport(*report);
    } else if (PageConsole()) {
        PageConsole()(url().toString(), message);
    } else {
        QWebEnginePage::javaScriptConsoleMessage(level, message, line, source);
    }
}

void TBrowserPage::RequestSnapshot(SnapshotReady ready, int frameBudgetMs, bool deep) {
    const QString scan = RandomHex(1);
    snapshots_.emplace(scan, PendingSnapshot{TSnapshotCollector(scan), std::move(ready)});
    runJavaScript(
        QString("window.__vimbrelSnapshot ? window.__vimbrelSnapshot.start('%1', %2) : -1")
            .arg(scan, deep ? "true" : "false"),
        QWebEngineScript::ApplicationWorld,
        [this, alive = std::weak_ptr<bool>(alive_), scan](const QVariant& frames) {
            if (alive.lock() && *alive.lock() && (!frames.isValid() || frames.toInt() < 0)) {
                Finish(scan, "The page could not be read.");
            }
        });
    QTimer::singleShot(frameBudgetMs, this, [this, scan] {
        Finish(scan, "The page took too long to describe itself.");
    });
}

void TBrowserPage::TakeReport(const TReportLine& line) {
    const auto it = snapshots_.find(line.scan);
    if (it == snapshots_.end()) {
        return;  // a late answer to a snapshot already taken
    }
    it->second.collector.Add(line);
    if (it->second.collector.Complete()) {
        Finish(line.scan, QString());
    }
}

void TBrowserPage::Finish(const QString& scan, const QString& errorIfNoTop) {
    const auto it = snapshots_.find(scan);
    if (it == snapshots_.end()) {
        return;
    }
    PendingSnapshot pending = std::move(it->second);
    snapshots_.erase(it);
    auto tree = pending.collector.Assemble();
    if (tree) {
        DropPlayerFrames(*tree);
    }
    pending.ready(std::move(tree), tree ? QString() : errorIfNoTop);
}
